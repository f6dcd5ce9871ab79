# Sourced by the screenshot scripts (POSIX sh): start_xvfb DISPLAY SIZE starts a private X server,
# waits until it answers, and stops it when the script exits.
start_xvfb() {
    Xvfb "$1" -screen 0 "$2" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    trap 'kill $xvfb 2>/dev/null || true' EXIT
    i=0
    until DISPLAY=$1 xdpyinfo >/dev/null 2>&1; do
        i=$((i + 1)); [ $i -lt 100 ] || { echo "Xvfb did not start" >&2; exit 1; }
        sleep 0.1
    done
}
