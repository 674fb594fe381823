#!/usr/bin/env bash
# Mutation check of the test suite: applies each patch of tests/mutants/ in turn (a small,
# plausible bug), rebuilds incrementally, runs the tests the patch names with a time limit, and
# reverts. A mutant is killed when a test fails or times out; it survives when they all pass.
#
#   scripts/mutants.sh [PATTERN]     run the patches whose file name contains PATTERN (default all)
#
# Each patch starts with header lines before its diff:
#   # Mutant: what the bug is
#   # Tests: a ctest -R regular expression for the tests that must catch it
#   # Targets: the test executables to rebuild (optional; without it everything is rebuilt)
#   # Pending: BRANCH ... (optional) the patch is written against a branch not merged yet; while it
#     does not apply it is listed as pending and not counted
# Uses the default preset's build folder; the work tree must have no uncommitted changes to the
# files a patch touches. Exit status 0 when every mutant was killed, 1 otherwise.
set -uo pipefail
cd "$(dirname "$0")/.."

BUILD=build
PER_TEST_LIMIT=${MUTANT_TEST_TIMEOUT:-60}
pattern="${1:-}"
current=""

revert() {
    if [ -n "$current" ]; then
        git apply -R "$current" 2>/dev/null
        current=""
    fi
}
trap 'revert; exit 130' INT TERM
trap revert EXIT

[ -d "$BUILD" ] || cmake --preset default >/dev/null
nice cmake --build "$BUILD" -j "$(nproc)" >/dev/null || { echo "the unmutated tree does not build" >&2; exit 2; }

touched=""
untargeted=0
killed=0
survived=0
invalid=0
pending=0
start=$(date +%s)
for patch in tests/mutants/*.patch; do
    case "$patch" in *"$pattern"*) ;; *) continue ;; esac
    name=$(basename "$patch" .patch)
    what=$(sed -n 's/^# Mutant: //p' "$patch" | head -1)
    tests=$(sed -n 's/^# Tests: //p' "$patch" | head -1)
    targets=$(sed -n 's/^# Targets: //p' "$patch" | head -1)
    if [ -n "$tests" ] && grep -q '^# Pending: ' "$patch" && ! git apply --check "$patch" 2>/dev/null; then
        echo "pending   $name (waits for branch $(sed -n 's/^# Pending: \([^ ]*\).*/\1/p' "$patch"))"
        pending=$((pending + 1))
        continue
    fi
    if [ -z "$tests" ] || ! git apply --check "$patch" 2>/dev/null; then
        echo "INVALID   $name (no Tests line, or the patch no longer applies)"
        invalid=$((invalid + 1))
        continue
    fi
    git apply "$patch" && current="$patch"
    target_args=()
    [ -n "$targets" ] && target_args=(--target $targets)
    touched="$touched $targets"
    [ -z "$targets" ] && untargeted=1
    if ! nice cmake --build "$BUILD" -j "$(nproc)" "${target_args[@]}" >/tmp/mutant-build.log 2>&1; then
        echo "INVALID   $name (does not build: a mutant must compile)"
        invalid=$((invalid + 1))
        revert
        continue
    fi
    if ctest --test-dir "$BUILD" -R "$tests" --timeout "$PER_TEST_LIMIT" -j "$(nproc)" \
        >/tmp/mutant-test.log 2>&1; then
        echo "SURVIVED  $name: $what"
        survived=$((survived + 1))
    else
        failed=$(grep -E '^\s+[0-9]+ - ' /tmp/mutant-test.log | sed 's/^[[:space:]]*[0-9]* - //; s/ (.*//' | paste -sd, -)
        echo "killed    $name by ${failed:-a failing test}"
        killed=$((killed + 1))
    fi
    revert
done
# Leave the build matching the unmutated tree (only what the mutants rebuilt, when they all named
# their targets).
if [ "$untargeted" -eq 0 ] && [ -n "${touched// /}" ]; then
    nice cmake --build "$BUILD" -j "$(nproc)" --target $(echo $touched | tr ' ' '\n' | sort -u) >/dev/null
else
    nice cmake --build "$BUILD" -j "$(nproc)" >/dev/null
fi

total=$((killed + survived))
elapsed=$(( $(date +%s) - start ))
echo "score: $killed of $total killed, $survived survived, $invalid invalid, $pending pending, in ${elapsed}s"
[ "$survived" -eq 0 ] && [ "$invalid" -eq 0 ]
