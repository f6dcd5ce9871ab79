# Sourced by the screenshot scripts (POSIX sh).
# start_xvfb DISPLAY SIZE starts a private X server, waits until it answers, and stops it when the
# script exits. shots_setup BUILD_DIR DISPLAY SIZE also sets $tests to the gui_tests of BUILD_DIR
# and $display, and starts the X server.
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

shots_setup() {
    [ -n "$1" ] || { echo "usage: $0 BUILD_DIR" >&2; exit 2; }
    tests="$1/bin/gui_tests"
    [ -x "$tests" ] || { echo "no $tests: build gui_tests first" >&2; exit 1; }
    display=$2
    start_xvfb "$display" "$3"
}
