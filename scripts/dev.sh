#!/usr/bin/env bash
# Developer entry point: installs what the build needs, builds, and runs the program or the tests.
#   scripts/dev.sh run    build and start the desktop program
#   scripts/dev.sh test   build and run every test; in CI (CI=true) also every fuzz target for a
#                         short time and the whole test suite under AddressSanitizer and UBSan
#   scripts/dev.sh deps   only install the Debian packages
set -euo pipefail
cd "$(dirname "$0")/.."

PACKAGES=(
    build-essential cmake ninja-build pkg-config ccache
    qt6-base-dev qt6-svg-dev qt6-connectivity-dev qt6-l10n-tools qt6-qpa-plugins qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    libzxing-dev libqrencode-dev libjpeg62-turbo-dev
    zbar-tools poppler-utils xvfb xauth desktop-file-utils groff-base
    fonts-dejavu-core fonts-noto-cjk
    clang libclang-rt-dev
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

install_deps() {
    local missing=()
    for p in "${PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        $SUDO apt-get update
        DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
    fi
}

build() {
    cmake --preset default >/dev/null
    cmake --build --preset default -j "$(nproc)"
}

# The checks CI adds to the tests: each fuzz target briefly on its corpus, then the whole suite
# built with AddressSanitizer and UBSan.
ci_checks() {
    bash scripts/fuzz.sh "${OMNI_CI_FUZZ_SECONDS:-10}"
    cmake --preset asan >/dev/null
    cmake --build --preset asan -j "$(nproc)"
    ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
        ctest --preset asan -j "$(nproc)" --timeout 600
}

case "${1:-run}" in
    deps) install_deps ;;
    run)
        install_deps
        build
        if [ -x build/src/app/gui/omnisetup ]; then
            if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
                exec xvfb-run -a build/src/app/gui/omnisetup
            fi
            exec build/src/app/gui/omnisetup
        fi
        exec build/cli/omnisetup-cli catalog
        ;;
    test)
        install_deps
        build
        ctest --preset default -j "$(nproc)"
        if [ "${CI:-}" = "true" ]; then ci_checks; fi
        ;;
    *) echo "usage: $0 run|test|deps" >&2; exit 2 ;;
esac
