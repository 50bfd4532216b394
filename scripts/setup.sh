#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, skipping those
# already present. Uses sudo when not run as root. Optional sets of packages
# are named as arguments: "fuzz" adds clang and its libFuzzer runtime.
set -euo pipefail

packages=(
    cmake
    ninja-build
    g++
    qt6-base-dev
    qt6-charts-dev
    libssl3
    zlib1g-dev
    fonts-dejavu-core
    xvfb
    xauth
)

for set in "$@"; do
    case "$set" in
        fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
        *) echo "setup.sh: unknown package set: $set" >&2; exit 2 ;;
    esac
done

missing=()
for pkg in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
    if [[ "$status" != "install ok installed" ]]; then
        missing+=("$pkg")
    fi
done

if ((${#missing[@]} == 0)); then
    exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
if [[ $(id -u) -ne 0 ]]; then
    as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
