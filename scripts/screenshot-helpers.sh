# Shared by the screenshot scripts, sourced from the source root.

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

# Makes OUTPUT_FOLDER and sets `out` to its absolute path, and `config` to an empty settings
# folder that is removed when the script exits, so that no operator's settings show.
#   prepare_folders OUTPUT_FOLDER
prepare_folders() {
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
