#!/usr/bin/env bash
# Takes docs/main-window-run.png, the README's picture of the main window after a real run: the
# demo site uploaded with Find Files & Transfer to a local FTP server that refuses one file, so the
# list shows Done rows and one Failed row with the server's reply in the Errors column.
#
# Everything runs under a private X server (Xvfb) and in a temporary directory removed at the end:
# the FTP server (tests/servers/pyftp_server.py --refuse burgee.svg), a settings file pointing at
# it, and Skerrow started with "/a" so that the run starts by itself. The script waits for the
# "Transmission failure" message box, answers it with Enter, widens the File name column as a user
# would (by dragging its right edge) and takes the picture with ImageMagick's import.
#
# Usage: scripts/readme-screenshots.sh [SKERROW_EXECUTABLE]   (default build/release/bin/skerrow)
# Needs: Xvfb, xdotool, imagemagick, python3-pyftpdlib.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
skerrow=${1:-$top/build/release/bin/skerrow}
[ -x "$skerrow" ] || { echo "no $skerrow: build Skerrow first (./skerrow.sh start builds build/release)" >&2; exit 1; }
for tool in Xvfb xdotool import; do
    command -v "$tool" > /dev/null || { echo "$tool is missing (apt-get install xvfb xdotool imagemagick)" >&2; exit 1; }
done
out="$top/docs/main-window-run.png"
refused=burgee.svg

work=$(mktemp -d /tmp/skerrow-shots-XXXXXX)
xvfb_pid= server_pid= skerrow_pid=
cleanup() {
    for pid in $skerrow_pid $server_pid $xvfb_pid; do kill "$pid" 2> /dev/null || true; done
    wait 2> /dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Waits up to $1 tenths of a second for the command after it to succeed.
await() {
    local tries=$1; shift
    until "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

# A private X server on the first free display number; Xvfb writes the number it took.
Xvfb -displayfd 3 -screen 0 1600x900x24 -nolisten tcp 3> "$work/display" 2> "$work/xvfb.log" &
xvfb_pid=$!
await 100 test -s "$work/display" || { echo "Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(head -n 1 "$work/display")"

# shellcheck source=scripts/demo-server.sh
. "$top/scripts/demo-server.sh"
start_demo_server "$work" --refuse "$refused"
write_demo_settings "$work" Language=1

# Its own runtime directory, so that a Skerrow already open elsewhere does not take the start over.
XDG_RUNTIME_DIR="$work" "$skerrow" --settings="$work/skerrow.ini" /a > "$work/skerrow.log" 2>&1 &
skerrow_pid=$!

# The main window and, once the run has ended, the failure message box share the title "Skerrow".
windows() { xdotool search --onlyvisible --name '^Skerrow$' 2> /dev/null || true; }
window_count() { windows | wc -l; }
at_least() { [ "$(window_count)" -ge "$1" ]; }
await 300 at_least 2 || { echo "no failure message appeared" >&2; cat "$work/skerrow.log" >&2; exit 1; }
main=$(windows | head -n 1)
xdotool key Return
await 100 eval '[ "$(window_count)" -eq 1 ]' || { echo "the message box did not close" >&2; exit 1; }
main=$(windows | head -n 1)

# Make the window wide and low, as a user would, and drag the right edges of the File name and
# Errors columns so that the longest name and the whole error text show.
xdotool windowsize --sync "$main" 1200 330 || true
drag() { # from x to x, on the column headers
    xdotool mousemove --window "$main" "$1" 79 mousedown 1
    local x
    for x in $(seq "$1" 5 "$2") "$2"; do xdotool mousemove --sync --window "$main" "$x" 79; done
    xdotool mouseup 1
}
drag 850 1060
drag 167 250
xdotool mousemove --window "$main" 600 300
eval "$(xdotool getwindowgeometry --shell "$main")"
# (Nothing tells when GTK has painted the last change; give it a moment.)
sleep 1

import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$out"
[ -f "$work/server/harbour/index.html" ] || { echo "the upload did not reach the server" >&2; exit 1; }
[ ! -e "$work/server/harbour/img/$refused" ] || { echo "the refused file was stored" >&2; exit 1; }
echo "picture in $out"
