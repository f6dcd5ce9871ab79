#!/bin/sh
# Takes PNG pictures of the settings dialogs under a private X server, in English
# (docs/connect-dialog.png, ...), French (docs/connect-dialog-fr.png, ...) and German (-de),
# also for checking that the translated labels fit.
# Usage: scripts/dialog-screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?usage: $0 BUILD_DIR}
tests="$build/bin/gui_tests"
[ -x "$tests" ] || tests="$build/tests/gui_tests"
display=:98
. "$top/scripts/xvfb.sh"
start_xvfb $display 1280x1024x24
shots="$build/screenshots"
mkdir -p "$shots"
for lang in "" de fr; do
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display SKERROW_SCREENSHOT_DIR="$shots" SKERROW_SCREENSHOT_LANG="$lang" ASAN_OPTIONS=detect_leaks=0 \
        "$tests" --gtest_filter='DialogScreenshotTest.*'
done
cp "$shots"/*-dialog*.png "$top/docs/"
echo "pictures in $shots, copied to $top/docs"
