#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer, AddressSanitizer and UBSan) and runs every fuzz target
# for SECONDS seconds, starting from its committed corpus in fuzz/corpus/<target>/.
#   scripts/fuzz.sh SECONDS [TARGET...]
# New inputs go to build-fuzz/corpus/<target>/ (the committed corpus is only read); a crash leaves
# its input in build-fuzz/crashes/ and makes the script fail after the other targets have run.
# Turn each crash into a regression input: add it to fuzz/corpus/<target>/ once it is fixed.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
    echo "usage: $0 SECONDS [TARGET...]" >&2
    exit 2
fi
shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < <(find build-fuzz/fuzz -type f -perm -u+x -name 'fuzz_*' -printf '%f\n' | sort)
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets found in build-fuzz/fuzz" >&2
    exit 1
fi

mkdir -p build-fuzz/crashes
failed=()
for target in "${targets[@]}"; do
    binary=$(find build-fuzz/fuzz -type f -name "$target" | head -n 1)
    if [ -z "$binary" ]; then
        echo "$target: no such fuzz target" >&2
        failed+=("$target")
        continue
    fi
    work="build-fuzz/corpus/$target"
    seeds="fuzz/corpus/$target"
    mkdir -p "$work" "$seeds"
    log="build-fuzz/$target.log"
    echo "== $target: ${seconds}s"
    if "$binary" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="build-fuzz/crashes/$target-" "$work" "$seeds" >"$log" 2>&1; then
        grep -E '^stat::number_of_executed_units|^#[0-9]+.*DONE' "$log" | tail -n 1 || true
    else
        echo "$target: CRASH (log: $log)"
        grep -E '^==[0-9]+==ERROR|^SUMMARY|Test unit written to' "$log" | head -n 5 || true
        failed+=("$target")
    fi
done

if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz targets with crashes: ${failed[*]}" >&2
    exit 1
fi
echo "fuzzing: ${#targets[@]} targets, no crashes"
