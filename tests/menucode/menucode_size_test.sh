#!/bin/sh
# omnisetup-cli menucode: one page written as PNG, SVG, PDF and EMF has one physical width,
# read from each file's own resolution or units (within 1 %), for a QR page and a Code 39 sheet;
# the PNG of a sheet is at least 300 dpi; the printed A4 pages are 595 x 842 points.
set -eu
cli="$1"
measure="$2"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
check_same_width() {
    name="$1"
    widths=""
    for ext in png svg pdf emf; do
        widths="$widths $(python3 "$measure" "$out/$name.$ext")"
    done
    echo "$name:$widths"
    python3 - $widths <<'PY'
import sys
w = [float(x) for x in sys.argv[1:]]
assert min(w) > 5, w
assert (max(w) - min(w)) / min(w) < 0.01, w
PY
}
for ext in png svg pdf emf; do
    "$cli" menucode --entry "Setting readable codes > 1D Code > Code39 > Enable" \
        --command "[DC1Q0Q0Q2Q5" -o "$out/qr.$ext" 2>/dev/null
    "$cli" menucode --1d --entry "Setting readable codes > Code39 > Enable" \
        --command '[DE1\rQ0' -o "$out/sheet.$ext" 2>/dev/null
done
check_same_width qr
check_same_width sheet
# The PNG of the sheet: whole pixels per screen pixel, at least 300 dpi.
python3 - "$out/sheet.png" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
i = data.index(b"pHYs")
x, _, unit = struct.unpack(">IIB", data[i + 4:i + 13])
assert unit == 1 and x * 0.0254 >= 299.5, x
PY
"$cli" menucode --print --command B2 -o "$out/printed.pdf" 2>/dev/null
python3 - "$out/printed.pdf" <<'PY'
import re, sys
m = re.search(rb"/MediaBox\s*\[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)", open(sys.argv[1], "rb").read())
w, h = float(m.group(1)), float(m.group(2))
assert abs(w - 595.3) < 1.5 and abs(h - 841.9) < 1.5, (w, h)
PY
