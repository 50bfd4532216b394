#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into ./build-fuzz (or the folder in
# FUZZ_BUILD_DIR) and runs each for the given number of seconds (default 60)
# on a copy of its seed corpus. Fails on any crash, leak, time-out or
# sanitizer report; inputs that failed are kept in <build>/fuzz-artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-60}
targets=(quotepage profile jsonplace csvtable textpattern referencerates)
# Quote pages and profiles that matter are a few kilobytes; longer inputs
# only slow the search down.
max_len=4096

"$root/scripts/setup.sh" fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DFUNDTALLY_FUZZ=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target "${targets[@]/#/fuzz_}"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"

export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1

failed=()
summary=()
for target in "${targets[@]}"; do
    corpus=$work/corpus-$target
    cp -r "$root/tests/fuzz/corpus/$target" "$corpus"
    log=$work/$target.log
    echo "== fuzz_$target: ${seconds}s"
    status=0
    (cd "$work" && "$build/tests/fuzz/fuzz_$target" \
        -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
        -dict="$root/tests/fuzz/$target.dict" -print_final_stats=1 \
        -artifact_prefix="$artifacts/$target-" "$corpus") >"$log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    # A report that did not stop the run still fails it.
    if ((status != 0)) || grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error:' "$log"; then
        tail -n 200 "$log"
        failed+=("$target")
        summary+=("fuzz_$target: FAILED (exit $status) after ${executions:-?} executions")
    else
        summary+=("fuzz_$target: ${executions:-?} executions in ${seconds}s, no findings")
    fi
done

printf '%s\n' "${summary[@]}"
if ((${#failed[@]} > 0)); then
    echo "Fuzzing found problems in: ${failed[*]} (inputs in $artifacts)" >&2
    exit 1
fi
