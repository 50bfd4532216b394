#!/usr/bin/env bash
# Builds the project and renders the window, filled from the sample profile,
# to build/screenshots/fundtally.png without needing a display, with the
# rebalance dialog, the chart with sample targets, the quote site dialog, a
# stopped calculation and one with many failures in PNGs beside it. The
# offscreen screen is a desktop's, so the window shows as designed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh"
QT_QPA_PLATFORM="offscreen:configfile=$root/tests/desktopscreen.json" QT_QPA_PLATFORMTHEME= \
    "$build/tests/app/fundtally_screenshot" "${1:-$build/screenshots/fundtally.png}" \
    "${2:-$root/examples/retirement.ftly}"
