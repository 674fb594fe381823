#!/usr/bin/env bash
# Saves pictures of the data edit wizards' pages, the free line OCR setting and the GS1 easy
# setting in English and Japanese, drawn on the offscreen platform.
#   scripts/dataedit-screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# Defaults: screenshots/dataedit and build/.
source "$(dirname "$0")/screenshot-helpers.sh"
prepare_screenshots "${1:-screenshots/dataedit}" "${2:-build}" dataedit_screenshots
for lang in en ja; do
    offscreen "$lang" "$build/tests/dataedit/dataedit_screenshots" "$out" 2>/dev/null
done
ls -1 "$out"/*.png
