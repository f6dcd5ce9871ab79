#!/bin/sh
# Takes PNG pictures of every dialog, a message box, the error details box and the help window in
# English, French and German into docs/ (connect-dialog-fr.png, help-start-de.png, ...).
# Usage: scripts/desktop-screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
tests="$build/bin/gui_tests"
[ -x "$tests" ] || { echo "no $tests: build gui_tests first" >&2; exit 1; }
display=:96
. "$top/scripts/xvfb.sh"
start_xvfb $display 1280x1024x24
for language in 1 2 3; do
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 SKERROW_DESKTOP_SHOTS="$top/docs" \
        SKERROW_SHOT_LANGUAGE=$language "$tests" --gtest_filter='DesktopScreenshotTest.*'
done
echo "pictures in $top/docs"
