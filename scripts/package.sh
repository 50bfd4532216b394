#!/usr/bin/env bash
# Builds the Debian package fundtally_<version>_<arch>.deb: a Release build of
# the program in ./build-package (or the folder in PACKAGE_BUILD_DIR), then
# CPack, which strips the program and computes the package's dependencies
# with dpkg-shlibdeps. Prints the package's path.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${PACKAGE_BUILD_DIR:-$root/build-package}

"$root/scripts/setup.sh"
# The package holds only the program, so only the program is built.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >/dev/null
cmake --build "$build" --parallel "$(nproc)" --target fundtally
rm -f "$build"/fundtally_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
ls "$build"/fundtally_*.deb
