#!/bin/sh
# Takes PNG pictures of the settings dialogs under a private X server, in English
# (docs/connect-dialog.png, ...), French (docs/connect-dialog-fr.png, ...) and German (-de),
# also for checking that the translated labels fit.
# Usage: scripts/dialog-screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/xvfb.sh"
shots_setup "${1:-}" :98 1280x1024x24
shots="$1/screenshots"
mkdir -p "$shots"
for lang in "" de fr; do
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display SKERROW_SCREENSHOT_DIR="$shots" SKERROW_SCREENSHOT_LANG="$lang" ASAN_OPTIONS=detect_leaks=0 \
        "$tests" --gtest_filter='DialogScreenshotTest.*'
done
cp "$shots"/*-dialog*.png "$top/docs/"
echo "pictures in $shots, copied to $top/docs"
