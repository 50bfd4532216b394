#!/usr/bin/env bash
# Builds the whole project with AddressSanitizer and UndefinedBehaviorSanitizer
# into ./build-asan (or the folder in SANITIZE_BUILD_DIR) and runs every test
# there. Any sanitizer report fails the run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SANITIZE_BUILD_DIR:-$root/build-asan}

"$root/scripts/setup.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DFUNDTALLY_SANITIZE=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)"

# abort_on_error turns a report into a crash that CTest cannot mistake for a
# test's own failure; leaks are checked when each test exits. A smaller
# quarantine keeps the resident size close to what is really in use, so the
# memory bounds of the hostile-site tests measure the program, not freed
# blocks held back for use-after-free detection. Allocation stacks are
# unwound without frame pointers, four frames deep: Qt is built without
# them, and the suppressions must see past its first frame to tell its own
# exit-time leak from the program's (see tests/sanitizers/lsan.supp). Deeper
# stacks slow every allocation enough to trouble the tests that time the
# event loop.
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:quarantine_size_mb=32:fast_unwind_on_malloc=0:malloc_context_size=4
export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
"$root/scripts/ctest-run.sh" "$build"
