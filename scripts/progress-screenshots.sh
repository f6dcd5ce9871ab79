#!/bin/sh
# Takes PNG pictures of an upload in progress with the command log open, in English, French and
# German: docs/run-progress.png, docs/run-progress-fr.png, docs/run-progress-de.png. The upload
# goes to the tests' misbehaving server, reading slowly, on 127.0.0.1.
# Usage: scripts/progress-screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/xvfb.sh"
shots_setup "${1:-}" :96 1024x768x24
state=$(mktemp -d /tmp/skerrow-shots-XXXXXX)
for pair in :1 -fr:2 -de:3; do
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 XDG_STATE_HOME="$state" \
        SKERROW_PROGRESS_SCREENSHOT="$top/docs/run-progress${pair%%:*}.png" \
        SKERROW_SCREENSHOT_LANGUAGE=${pair##*:} \
        "$tests" --gtest_filter='RunProgressWindowTest.RunInProgressScreenshot'
done
rm -rf "$state"
echo "pictures in $top/docs/run-progress.png, run-progress-fr.png and run-progress-de.png"
