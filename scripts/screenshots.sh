#!/usr/bin/env bash
# Saves screenshots of the main window (2D and 1D mode, each with a menu-code page holding a few
# settings; an image page shot from the simulated 2D reader, zoomed, with the exposure frame), the
# shoot dialog receiving and waiting for the trigger, and the image output settings dialog, in
# English and Japanese.
#   scripts/screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# Defaults: /work/screenshots and build/.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-/work/screenshots}"
build="${2:-build}"
source scripts/build-targets.sh
build_targets "$build" omnisetup_screenshots
mkdir -p "$out"
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
for lang in en ja; do
    QT_QPA_PLATFORM=offscreen OMNISETUP_LANG="$lang" XDG_CONFIG_HOME="$config" \
        "$build/tests/gui/omnisetup_screenshots" "$out/main-window-$lang"
done
ls -1 "$out"/main-window-*.png
