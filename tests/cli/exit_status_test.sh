#!/bin/sh
# The exit statuses: --help lists the table, bad arguments give 2, Ctrl+C gives 130.
set -eu
cli="$1"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

"$cli" --help > "$out/help"
for row in "0    done" "1    failed at the reader" "2    bad arguments or input" \
           "3    the reader did not answer" "130  cancelled by Ctrl+C"; do
    grep -q "^  $row" "$out/help"
done

status() { "$@" >/dev/null 2>&1 && echo 0 || echo $?; }
test "$(status "$cli")" = 2
test "$(status "$cli" no-such-command)" = 2
test "$(status "$cli" identify --bogus)" = 2
test "$(status "$cli" identify --port /dev/omni-no-such-port)" = 2
test "$(status "$cli" menucode --entry "No such group > Nothing" -o "$out/x.png")" = 2
test "$(status "$cli" dataedit)" = 2

# Every sub-command answers --help with its own usage on standard output.
for command in $(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' "$out/help"); do
    "$cli" "$command" --help > "$out/usage"
    grep -q "^usage: omnisetup-cli $command" "$out/usage"
done

# Ctrl+C while the log waits for input. The signal is sent once the program has installed its
# handler (its caught-signal mask shows SIGINT, bit 2), so it cannot arrive too early.
mkfifo "$out/in"
"$cli" log < "$out/in" > /dev/null &
pid=$!
exec 3> "$out/in"
tries=0
until grep -q '^SigCgt:.*[2367abefABEF]$' "/proc/$pid/status" 2>/dev/null; do
    tries=$((tries + 1))
    test "$tries" -lt 5000
done
kill -INT "$pid"
code=0
wait "$pid" || code=$?
exec 3>&-
test "$code" = 130
echo ok
