#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs the whole
# test suite with CTest.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh" -DFUNDTALLY_WERROR=ON
"$root/scripts/ctest-run.sh" "$build"
