# Shared by the screenshot scripts (sourced from the source root): configures BUILD_FOLDER when it
# has no build yet, then builds the given targets.
#   build_targets BUILD_FOLDER TARGET...
build_targets() {
    local build="$1"
    shift
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
    fi
    cmake --build "$build" --target "$@"
}
