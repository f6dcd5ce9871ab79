#!/usr/bin/env bash
# Runs the GUI test suite several times in a row, exactly as `./skerrow.sh test` runs it (one
# private X server per round, two tests at a time), and stops at the first round that fails.
# Builds nothing: the test build must exist.
#   tests/repeat_gui_suite.sh [rounds (20)] [build dir (build/test)]
set -uo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-20}
build=${2:-$top/build/test}
case $build in /*) ;; *) build=$top/$build ;; esac
if [ ! -x "$build/bin/gui_tests" ]; then
    echo "no GUI tests in $build: build the test build first (./skerrow.sh test)" >&2
    exit 2
fi
cd "$build" || exit 2
start=$(date +%s)
for ((round = 1; round <= rounds; round++)); do
    log=$(mktemp /tmp/skerrow-gui-round-XXXXXX.log)
    if xvfb-run -a -s "-screen 0 1280x1024x24" ctest --output-on-failure -j2 -L gui > "$log" 2>&1; then
        echo "round $round/$rounds: $(grep -E '^[0-9]+% tests passed' "$log")"
        rm -f "$log"
    else
        echo "round $round/$rounds FAILED (log: $log):"
        sed -n '/The following tests FAILED/,$p' "$log"
        echo "GUI suite: $((round - 1)) of $rounds rounds passed, round $round failed, $(($(date +%s) - start)) s"
        exit 1
    fi
done
echo "GUI suite: $rounds of $rounds rounds passed, $(($(date +%s) - start)) s"
