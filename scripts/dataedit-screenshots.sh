#!/usr/bin/env bash
# Saves pictures of the data edit wizards' pages, the free line OCR setting and the GS1 easy
# setting in English and Japanese, drawn on the offscreen platform.
#   scripts/dataedit-screenshots.sh [OUTPUT_FOLDER] [BUILD_FOLDER]
# Defaults: screenshots/dataedit and build/.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-screenshots/dataedit}"
build="${2:-build}"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target dataedit_screenshots
mkdir -p "$out"
out="$(cd "$out" && pwd)"
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
for lang in en ja; do
    QT_QPA_PLATFORM=offscreen OMNISETUP_LANG="$lang" XDG_CONFIG_HOME="$config" \
        "$build/tests/dataedit/dataedit_screenshots" "$out" 2>/dev/null
done
ls -1 "$out"/*.png
