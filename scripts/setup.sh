#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the scripts need,
# skipping those already present. Uses sudo when not run as root. Every
# package is named here: recommends are never installed, so nothing is left
# to what happens to be on the machine already. Optional sets of packages are
# named as arguments:
#   fuzz   clang and its libFuzzer runtime (scripts/fuzz.sh)
#   fresh  debootstrap, for building a bare Debian system (scripts/fresh-check.sh)
set -euo pipefail

packages=(
    # build
    cmake
    ninja-build
    g++
    pkg-config
    qt6-base-dev
    qt6-base-dev-tools
    libqt6opengl6-dev
    qt6-charts-dev
    libcurl4-openssl-dev
    # quote sources: patterns matched in linear time, CSV answers read
    libre2-dev
    libcsv-dev
    # API keys of quote sources kept in the desktop's keyring
    qtkeychain-qt6-dev
    libssl-dev
    ca-certificates
    zlib1g-dev
    # tests: Qt's private Gui API switches the offscreen accessibility bridge on
    qt6-base-private-dev
    # what the window needs to run and draw text, on a display or offscreen
    qt6-qpa-plugins
    libqt6svg6
    fonts-dejavu-core
    # keyring tests: a session bus and a keyring to store keys in
    dbus-daemon
    gnome-keyring
    # scripts/run.sh without a desktop session: xvfb-run
    xvfb
    xauth
    # desktop integration checks and the Debian package
    desktop-file-utils
    appstream
    libxml2-utils
    shared-mime-info
    xdg-utils
    # xdg-mime's file type queries go through GIO's gio
    libglib2.0-bin
    dpkg-dev
    file
    # objdump, for the libraries the packaged program needs
    binutils
    # bench/calculationbench times the curl command against the program
    curl
)

for set in "$@"; do
    case "$set" in
        fuzz) packages+=(clang-14 libclang-rt-14-dev) ;;
        fresh) packages+=(debootstrap) ;;
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
