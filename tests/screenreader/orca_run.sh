#!/usr/bin/env bash
# Runs orca_test.py under the screen reader Orca on a private X display
# (Xvfb), with private D-Bus session and accessibility buses and a speech
# server that speaks into the null sound device; what Orca said is read from
# its debug log. Exits 77 (skipped) when a piece is not installed: install
# them with scripts/install-deps --test.
#
#   orca_run.sh windows PROGRAM      the desktop windows
#   orca_run.sh page SITE_DIR ENGINE_JS   the page in Chromium (ENGINE_JS:
#                                    the engine built to WebAssembly)
#
# TARNVALE_ORCA_LOG=FILE keeps Orca's debug log there (it is kept in /tmp
# anyway when the test fails).
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3   # Debian's, with its gi bindings and selenium

skip() { echo "SKIP: $*"; exit 77; }
for tool in xvfb-run Xvfb xauth xdotool setxkbmap dbus-run-session orca speech-dispatcher; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "the accessibility bus is not installed (at-spi2-core)"
"$python" -c 'import gi; gi.require_version("Atspi", "2.0"); from gi.repository import Atspi' 2>/dev/null \
  || skip "Python's AT-SPI bindings are not installed (python3-gi, gir1.2-atspi-2.0)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/runtime" "$scratch/config" "$scratch/home"
export XDG_RUNTIME_DIR="$scratch/runtime" XDG_CONFIG_HOME="$scratch/config" HOME="$scratch/home"
export TARNVALE_ORCA_SCRATCH="$scratch"
unset DBUS_SESSION_BUS_ADDRESS AT_SPI_BUS_ADDRESS QT_QPA_PLATFORM WAYLAND_DISPLAY
# The speech server speaks Russian with espeak-ng into ALSA's null device.
mkdir -p "$scratch/config/speech-dispatcher"
cat >"$scratch/config/speech-dispatcher/speechd.conf" <<'CONF'
AudioOutputMethod "alsa"
AudioALSADevice "null"
AddModule "espeak-ng" "sd_espeak-ng" "espeak-ng.conf"
DefaultModule espeak-ng
CONF

timeout 840 xvfb-run -a -s "-screen 0 1280x800x24" \
  dbus-run-session -- "$python" "$here/orca_test.py" "$@" 2>"$scratch/err"
status=$?
[ "$status" -eq 0 ] || [ "$status" -eq 77 ] || { echo "--- stderr"; tail -40 "$scratch/err"; }
exit "$status"
