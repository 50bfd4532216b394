#!/usr/bin/env bash
# Installs what is missing, builds, and starts Fundtally's window. Without a
# display it stops after the build, says how to run under xvfb-run instead,
# and exits with status 3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}

"$root/scripts/build.sh"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" && -z "${QT_QPA_PLATFORM:-}" ]]; then
    cat >&2 <<MSG
Fundtally is built, but this session has no display to show its window on.
Run it under a virtual X display instead:

    xvfb-run -a scripts/run.sh

or render the window to a picture with scripts/screenshot.sh.
MSG
    exit 3
fi

exec "$build/app/fundtally"
