#!/bin/sh
# Installation: `cmake --install` puts every listed file in place, the desktop entry validates,
# the manual page renders and documents every sub-command and exit status, and the Debian
# package depends on runtime libraries only and unpacks to the same files.
set -eu
build="$1"
cli="$2"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

cmake --install "$build" --prefix "$out/root" >/dev/null
root="$out/root"
for file in bin/omnisetup-cli bin/omnisetup-sim \
            share/applications/omnisetup.desktop \
            share/icons/hicolor/scalable/apps/omnisetup.svg \
            share/omnisetup/document/index.html \
            share/man/man1/omnisetup-cli.1 \
            lib/udev/rules.d/70-omnisetup-readers.rules; do
    test -s "$root/$file" || { echo "missing: $file"; exit 1; }
done
# The desktop program and the waveform viewer when they are built, with the help pages where
# the program looks for them.
if grep -q '^OMNI_BUILD_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    test -x "$root/bin/omnisetup"
    test -x "$root/bin/omnisetup-waveform"
    test -s "$root/share/omnisetup/document/ja/index.html"
    test -s "$root/bin/../share/omnisetup/document/index.html"
fi
# The installed command-line tool runs.
"$root/bin/omnisetup-cli" tokens '[BCAQ0' >/dev/null

if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$root/share/applications/omnisetup.desktop"
fi
grep -q '^<svg\|<svg ' "$root/share/icons/hicolor/scalable/apps/omnisetup.svg"

# The udev rule names the configured vendor id in udev's form.
vendor=$(sed -n 's/^OMNI_READER_VENDOR_ID:STRING=//p' "$build/CMakeCache.txt")
vendor=$(printf '%04x' "$vendor")
test "$(grep -c "ATTRS{idVendor}==\"$vendor\", TAG+=\"uaccess\"" \
        "$root/lib/udev/rules.d/70-omnisetup-readers.rules")" = 2

# The manual page renders without complaint and covers what --help lists.
page="$root/share/man/man1/omnisetup-cli.1"
if command -v groff >/dev/null; then
    groff -man -Tutf8 -ww "$page" > "$out/man.txt" 2> "$out/man.err"
    test ! -s "$out/man.err" || { cat "$out/man.err"; exit 1; }
fi
"$cli" --help > "$out/help"
for command in $(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p; s/^  \([a-z][a-z-]*\)$/\1/p' "$out/help"); do
    grep -q "^\.BR* \"*$command\b\|^\.BI* \"*$command\b" "$page" ||
        { echo "man page lacks the sub-command $command"; exit 1; }
done
for status in $(sed -n 's/^  \([0-9][0-9]*\) .*/\1/p' "$out/help"); do
    grep -q "^\.B $status\$" "$page" || { echo "man page lacks exit status $status"; exit 1; }
done

# The Debian package, where the tools for it are present.
if command -v cpack >/dev/null && command -v dpkg-deb >/dev/null && command -v dpkg-shlibdeps >/dev/null; then
    (cd "$build" && cpack -B "$out/package" >/dev/null)
    deb=$(ls "$out"/package/omnisetup_*.deb)
    depends=$(dpkg-deb -f "$deb" Depends)
    echo "$depends" | grep -q 'libqt6core6'
    if echo "$depends" | grep -q -- '-dev\b'; then echo "development package in: $depends"; exit 1; fi
    dpkg-deb -x "$deb" "$out/unpacked"
    test -x "$out/unpacked/usr/bin/omnisetup-cli"
    test -s "$out/unpacked/usr/lib/udev/rules.d/70-omnisetup-readers.rules"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$out/unpacked/usr/share/applications/omnisetup.desktop"
    fi
    "$out/unpacked/usr/bin/omnisetup-cli" tokens '[BCAQ0' >/dev/null
fi
echo ok
