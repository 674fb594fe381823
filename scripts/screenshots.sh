#!/usr/bin/env bash
# Saves screenshots of the main window (2D and 1D mode, each with a menu-code page holding a few
# settings; the catalog filter narrowing the tree; an image page shot from the simulated 2D
# reader, zoomed, with the exposure frame), the shoot dialog receiving and waiting for the
# trigger, the image output settings dialog, the help window, the question about an unsaved page
# and the firmware download dialog (sending, writing), in English and Japanese.
#   scripts/screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# Defaults: /work/screenshots and build/.
source "$(dirname "$0")/screenshot-helpers.sh"
prepare_screenshots "${1:-/work/screenshots}" "${2:-build}" omnisetup_screenshots \
    firmware_window_test
for lang in en ja; do
    rm -rf "${config:?}"/*  # each language starts as a first run, not where the other left off
    offscreen "$lang" "$build/tests/gui/omnisetup_screenshots" "$out/main-window-$lang"
    OMNI_SCREENSHOT_DIR="$out" offscreen "$lang" "$build/tests/gui/firmware_window_test" \
        screenshots >/dev/null
done
ls -1 "$out"/main-window-*.png "$out"/firmware-download*.png
