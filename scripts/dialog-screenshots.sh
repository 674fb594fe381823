#!/usr/bin/env bash
# Saves a picture of every parameter and Bluetooth dialog in English and Japanese, drawn on the
# offscreen platform.
#   scripts/dialog-screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# Defaults: screenshots/dialogs and build/.
source "$(dirname "$0")/screenshot-helpers.sh"
prepare_screenshots "${1:-screenshots/dialogs}" "${2:-build}" dialogs_parameter_test \
    dialogs_bluetooth_test
for lang in en ja; do
    for test in dialogs_parameter_test dialogs_bluetooth_test; do
        OMNI_SCREENSHOT_DIR="$out" offscreen "$lang" "$build/tests/dialogs/$test" \
            screenshots >/dev/null
    done
done
ls -1 "$out"/*.png
