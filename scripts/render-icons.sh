#!/usr/bin/env bash
# Renders app/icons/fundtally.svg to the PNG sizes the desktop and the window
# use (app/icons/fundtally-<size>.png). The PNGs are committed, so the build
# does not need this; run it after changing the SVG. Needs rsvg-convert
# (Debian package librsvg2-bin).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
icons=$root/app/icons
sizes=(48 64 128 256)

if ! command -v rsvg-convert >/dev/null; then
    echo "render-icons.sh: rsvg-convert is missing; install the Debian package librsvg2-bin" >&2
    exit 1
fi
for size in "${sizes[@]}"; do
    rsvg-convert --width "$size" --height "$size" --format png \
        --output "$icons/fundtally-$size.png" "$icons/fundtally.svg"
done
