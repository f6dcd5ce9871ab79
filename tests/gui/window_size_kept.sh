#!/bin/sh
# The window's size survives being closed and started again, under a real window manager: the frame
# the manager draws around it must not be added to the size at each start.
# Usage: window_size_kept.sh SKERROW   (run under xvfb-run; skipped, status 77, without openbox)
set -eu
program=$1
command -v openbox >/dev/null 2>&1 || { echo "openbox is not installed"; exit 77; }
work=$(mktemp -d)
trap 'kill "$wm" 2>/dev/null || true; rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/run" ASAN_OPTIONS=detect_leaks=0
mkdir -m 700 "$work/run"
printf '[Advanced]\nLanguage=1\n[Window]\nPlacement=50,40,900,640,0,1\n' > "$work/skerrow.ini"
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
sleep 1
first=""
for start in 1 2 3 4; do
    "$program" --settings="$work/skerrow.ini" >/dev/null 2>&1 &
    pid=$!
    # Up once the window has its frame: the manager sets _NET_FRAME_EXTENTS on it.
    for _ in $(seq 1 100); do
        xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -q 0x && break
        sleep 0.1
    done
    sleep 1
    kill -TERM "$pid"
    wait "$pid" || { echo "start $start: the program ended with status $?"; exit 1; }
    placement=$(sed -n 's/^Placement=//p' "$work/skerrow.ini")
    echo "start $start: $placement"
    [ -n "$first" ] || first=$placement
    [ "$placement" = "$first" ] || { echo "the size changed from $first to $placement"; exit 1; }
done
