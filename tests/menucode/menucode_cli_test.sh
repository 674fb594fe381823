#!/bin/sh
# omnisetup-cli menucode end to end: the PNG decodes with zbar to the envelope, the PDF carries
# the same symbol, the metafile is a well-formed record sequence, and the 1D sheet is written.
set -eu
cli="$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
entry="Setting readable codes > 1D Code > Code39 > Enable"
expected="@MENU_KEST@ZZ@B2@DC1@Q0@Q0@Q2@Q5@ZZ@TSEK_UNEM@"
for ext in png svg pdf emf; do
    "$cli" menucode --entry "$entry" --command "[DC1Q0Q0Q2Q5" -o "$out/page.$ext" 2>/dev/null
done
test "$(zbarimg --raw -q "$out/page.png" 2>/dev/null)" = "$expected"
# A successful run says nothing on standard error, even without a runtime directory and with a
# display that cannot be reached.
env -u XDG_RUNTIME_DIR DISPLAY=:97 "$cli" menucode --entry "$entry" -o "$out/quiet.png" 2>"$out/stderr"
test ! -s "$out/stderr"
if command -v pdftoppm >/dev/null; then
    pdftoppm -r 300 -f 1 -l 1 -png -singlefile "$out/page.pdf" "$out/pdf"
    test "$(zbarimg --raw -q "$out/pdf.png" 2>/dev/null)" = "$expected"
fi
grep -q "<svg" "$out/page.svg"
# " EMF" at offset 40 of the header record; the last record is EMR_EOF (14) of 20 bytes.
test "$(od -An -c -j40 -N4 "$out/page.emf" | tr -d ' \n')" = "EMF"
size=$(wc -c < "$out/page.emf")
test "$(od -An -tu4 -j$((size - 20)) -N4 "$out/page.emf" | tr -d ' ')" = "14"
"$cli" menucode --1d --entry "Setting readable codes > Code39 > Enable" --command '[DE1\rQ0' \
    -o "$out/sheet.png" 2>/dev/null
test -s "$out/sheet.png"
# A page saved as a page file and reopened gives the same menu code; a damaged line is reported
# with its number and the rest is kept; an unknown format version is refused.
"$cli" menucode --entry "$entry" --command "[DC1Q0Q0Q2Q5" --save-page "$out/p.omnipage"
"$cli" menucode --page "$out/p.omnipage" -o "$out/reopened.png" 2>/dev/null
test "$(zbarimg --raw -q "$out/reopened.png" 2>/dev/null)" = "$expected"
printf 'not an entry\n' >> "$out/p.omnipage"
"$cli" menucode --page "$out/p.omnipage" -o "$out/damaged.png" 2>"$out/stderr"
grep -q "p.omnipage: Line 4:" "$out/stderr"
test "$(zbarimg --raw -q "$out/damaged.png" 2>/dev/null)" = "$expected"
printf 'OMNIPAGE 9 2D\n' > "$out/v9.omnipage"
status=0
"$cli" menucode --page "$out/v9.omnipage" -o "$out/v9.png" 2>"$out/stderr" || status=$?
test "$status" = 2
grep -q "version 9" "$out/stderr"
# A page printed with modules below the reliable minimum is written, with a warning that says
# how to fix it.
"$cli" menucode --command "[BCA" --module-size 1 -o "$out/small.pdf" 2>"$out/stderr"
test -s "$out/small.pdf"
grep -q "Set the module size to 2 or more" "$out/stderr"
"$cli" menucode --command "[BCA" --module-size 2 -o "$out/fine.pdf" 2>"$out/stderr"
test ! -s "$out/stderr"
# A malformed command is refused with a message and a failure code.
status=0
"$cli" menucode --command "Q1Q" -o "$out/bad.png" 2>/dev/null || status=$?
test "$status" = 2
echo ok
