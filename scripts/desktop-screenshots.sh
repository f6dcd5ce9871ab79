#!/bin/sh
# Takes PNG pictures of every dialog, a message box, the error details box and the help window in
# English, French and German into docs/ (connect-dialog-fr.png, help-start-de.png, ...).
# Usage: scripts/desktop-screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/xvfb.sh"
shots_setup "${1:-}" :96 1280x1024x24
for language in 1 2 3; do
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 SKERROW_DESKTOP_SHOTS="$top/docs" \
        SKERROW_SHOT_LANGUAGE=$language "$tests" --gtest_filter='DesktopScreenshotTest.*'
done
echo "pictures in $top/docs"
