# Shared by the screenshot scripts: sourcing it stops the script at the first failure and makes
# the source root the working folder.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

# Configures BUILD_FOLDER when it has no build yet, then builds the given targets.
#   build_targets BUILD_FOLDER TARGET...
build_targets() {
    local build="$1"
    shift
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" --target "$@"
}

# Builds the targets in BUILD_FOLDER, makes OUTPUT_FOLDER, and sets `build`, `out` (the output
# folder's absolute path) and `config` (an empty settings folder that is removed when the script
# exits, so that no operator's settings show).
#   prepare_screenshots OUTPUT_FOLDER BUILD_FOLDER TARGET...
prepare_screenshots() {
    build="$2"
    build_targets "$build" "${@:3}"
    mkdir -p "$1"
    out="$(cd "$1" && pwd)"
    config="$(mktemp -d)"
    trap 'rm -rf "$config"' EXIT
}

# Runs a program on the offscreen platform in LANGUAGE (en or ja) with the settings in `config`.
#   offscreen LANGUAGE PROGRAM [ARGUMENT...]
offscreen() {
    local lang="$1"
    shift
    QT_QPA_PLATFORM=offscreen OMNISETUP_LANG="$lang" XDG_CONFIG_HOME="$config" "$@"
}
