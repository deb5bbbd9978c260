#!/usr/bin/env bash
# Runs atspi_check.py against the program on a private X display (Xvfb) with
# a private D-Bus session bus that the program and the reader share. Exits
# 77 (skipped) when a piece of the set-up is not installed; install them
# with scripts/install-deps. The noise of the display and the buses is shown
# only when the check fails.
#
#   atspi_check.sh PROGRAM
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
program=${1:?usage: atspi_check.sh PROGRAM}
python=/usr/bin/python3   # Debian's, with its gi bindings

skip() { echo "SKIP: $*"; exit 77; }
command -v xvfb-run >/dev/null || skip "xvfb-run is not installed (xvfb)"
command -v Xvfb >/dev/null || skip "Xvfb is not installed (xvfb)"
command -v xauth >/dev/null || skip "xauth is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed (dbus)"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus is not installed (at-spi2-core)"
[ -x "$python" ] || skip "$python is not installed"
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null \
  || skip "Python's AT-SPI bindings are not installed (python3-gi, gir1.2-atspi-2.0)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime"
export XDG_RUNTIME_DIR="$scratch/runtime"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY

status=1
for attempt in 1 2; do
  timeout 120 xvfb-run -a -s "-screen 0 1024x768x24" \
    dbus-run-session -- "$python" "$here/atspi_check.py" "$program" >"$scratch/out" 2>"$scratch/err"
  status=$?
  # Only a display or bus that did not come up is worth a second try.
  [ "$status" -eq 0 ] || [ "$status" -eq 1 ] || [ "$status" -eq 77 ] && break
done

grep -v "^SpiRegistry daemon is running" "$scratch/out"
[ "$status" -eq 0 ] || [ "$status" -eq 77 ] || { echo "--- stderr"; cat "$scratch/err"; }
exit "$status"
