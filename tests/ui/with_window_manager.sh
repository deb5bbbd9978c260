#!/usr/bin/env bash
# Runs a test program on the display under a window manager, which goes when
# the test ends.
#   with_window_manager.sh WINDOW_MANAGER TEST [ARGS...]
set -u
wm=$1
shift
"$wm" --config-file /dev/null >/dev/null 2>&1 &
manager=$!
trap 'kill "$manager" 2>/dev/null; wait "$manager" 2>/dev/null' EXIT
# Until the window manager holds the display (it selects the root window's
# redirection, which only one client can).
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.05
done
"$@"
