#!/usr/bin/env bash
# Runs a test program under a Wayland compositor of its own (weston without
# a screen, drawing in memory), which goes when the test ends.
#   with_wayland.sh WESTON TEST [ARGS...]
set -u
weston=$1
shift
runtime=$(mktemp -d)
chmod 700 "$runtime"
XDG_RUNTIME_DIR=$runtime "$weston" --backend=headless-backend.so --use-pixman --width=1600 --height=900 --socket=wayland-test \
    --idle-time=0 >"$runtime/weston.log" 2>&1 &
compositor=$!
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null; rm -rf "$runtime"' EXIT
for _ in $(seq 200); do
    [ -S "$runtime/wayland-test" ] && break
    kill -0 "$compositor" 2>/dev/null || { cat "$runtime/weston.log" >&2; exit 1; }
    sleep 0.05
done
[ -S "$runtime/wayland-test" ] || { echo "weston did not come up" >&2; exit 1; }
# The Wayland client library and Qt's Wayland platform keep allocations for
# the life of the process that a leak check cannot tell from ours; the same
# windows are checked for leaks on the other platforms.
[ -n "${ASAN_OPTIONS:-}" ] && export ASAN_OPTIONS="$ASAN_OPTIONS:detect_leaks=0"
XDG_RUNTIME_DIR=$runtime WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland "$@"
