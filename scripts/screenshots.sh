#!/bin/sh
# Takes PNG pictures of the main window after a find over the demo site, in English, French and
# German: docs/screenshot-en.png, docs/screenshot-fr.png, docs/screenshot-de.png; and the About
# box in English: docs/about-en.png.
# Usage: scripts/screenshots.sh BUILD_DIR   (gui_tests must be built there)
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
. "$top/scripts/xvfb.sh"
shots_setup "${1:-}" :97 1024x768x24
for pair in en:1 fr:2 de:3; do
    code=${pair%%:*}
    # (GTK and fontconfig keep caches to the end; a sanitizer build would call them leaks.)
    DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 \
        SKERROW_MAIN_SCREENSHOT="$top/docs/screenshot-$code.png" \
        SKERROW_SCREENSHOT_LANGUAGE=${pair##*:} SKERROW_SCREENSHOT_PCDIR="$top/demo/site" \
        "$tests" --gtest_filter='CMainWindowTest.MainWindowScreenshot'
done
DISPLAY=$display ASAN_OPTIONS=detect_leaks=0 SKERROW_ABOUT_SCREENSHOT="$top/docs/about-en.png" \
    "$tests" --gtest_filter='CMainWindowTest.AboutBoxScreenshot'
echo "pictures in $top/docs/screenshot-{en,fr,de}.png and $top/docs/about-en.png"
