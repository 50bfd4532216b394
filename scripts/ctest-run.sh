#!/usr/bin/env bash
# Runs CTest in the build folder given as the first argument, then lists the
# test functions that skipped, with their reasons (CTest shows a test's own
# output only when it fails), and ends with CTest's summary line again.
set -uo pipefail
build=$1
cd "$build" || exit 1

output=$(mktemp)
trap 'rm -f "$output"' EXIT
ctest --output-on-failure --parallel "$(nproc)" | tee "$output"
status=${PIPESTATUS[0]}

skips=$(grep -h '^SKIP   :' Testing/Temporary/LastTest.log 2>/dev/null || true)
if [[ -n "$skips" ]]; then
    echo
    echo "Skipped test functions ($(printf '%s\n' "$skips" | wc -l)):"
    printf '%s\n' "$skips" | sed 's/^SKIP   : /  /'
    echo
    grep -E '^[0-9]+% tests passed' "$output"
fi
exit "$status"
