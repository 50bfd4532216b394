#!/usr/bin/env bash
# Checks the Debian package CPack makes from a build: its name, that its
# dependencies name the package of every shared library the program needs and
# the window-system plugins, that it holds what an install holds, under /usr,
# owned by root with the usual modes, and that its program is stripped and
# answers --version.
#
#   debianpackage.sh <build folder> <version>
set -uo pipefail
build_dir=$1
version=$2
arch=$(dpkg --print-architecture)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

pass() { echo "PASS   : $1"; }
fail() { echo "FAIL!  : $1" >&2; failures=$((failures + 1)); }
expect_equal() {
    if [[ "$2" == "$3" ]]; then pass "$1"; else fail "$1: expected '$3', got '$2'"; fi
}
finish() {
    if ((failures > 0)); then
        echo "$failures Debian package check(s) failed" >&2
        exit 1
    fi
    echo "All Debian package checks passed"
    exit 0
}

if ! output=$(cpack -G DEB --config "$build_dir/CPackConfig.cmake" -B "$scratch/out" 2>&1); then
    fail "cpack -G DEB builds the package"
    printf '%s\n' "$output" >&2
    finish
fi
pass "cpack -G DEB builds the package"
packages=("$scratch"/out/*.deb)
expect_equal "one package, named for its version and architecture" \
    "$(basename -a "${packages[@]}")" "fundtally_${version}_${arch}.deb"
deb=${packages[0]}

field() { dpkg-deb --field "$deb" "$1" 2>&1; }
expect_equal "Package" "$(field Package)" fundtally
expect_equal "Version" "$(field Version)" "$version"
expect_equal "Architecture" "$(field Architecture)" "$arch"
[[ -n "$(field Maintainer)" ]] && pass "Maintainer is set" || fail "Maintainer is set"
expect_equal "the description's summary" "$(field Description | head -n 1)" "value holdings at today's quotes"

# Each library the program is linked against comes from an installed package;
# that package must be a dependency, or the program would not start.
depends=$(field Depends)
depended=$(tr ',' '\n' <<<"$depends" | sed 's/^ *//; s/ .*//')
libraries=$(objdump -p "$build_dir/app/fundtally" | awk '$1 == "NEEDED" { print $2 }')
[[ -n "$libraries" ]] && pass "the program needs shared libraries" || fail "the program needs shared libraries"
resolved=$(ldd "$build_dir/app/fundtally")
# dpkg knows a file by the path its package ships it at, which with merged
# /usr may be either side of the /lib -> /usr/lib link.
owner_of() {
    local real
    real=$(readlink -f "$1")
    { dpkg-query --search "$real" || dpkg-query --search "${real#/usr}"; } 2>/dev/null | head -n 1 | cut -d: -f1
}
for library in $libraries; do
    file=$(awk -v lib="$library" '$1 == lib && $2 == "=>" { print $3 }' <<<"$resolved")
    owner=$(owner_of "$file")
    if [[ -n "$owner" ]] && grep -qx "$owner" <<<"$depended"; then
        pass "Depends names $owner, which holds $library"
    else
        fail "Depends names the package holding $library ('${owner:-not found}'): $depends"
    fi
done
grep -qx qt6-qpa-plugins <<<"$depended" && pass "Depends names the window-system plugins" \
    || fail "Depends names qt6-qpa-plugins: $depends"

# The package holds what an install holds, with /usr as the prefix.
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null 2>&1 || fail "cmake --install for comparison"
installed=$(cd "$scratch/prefix" && find . -type f | sed 's|^\./|/usr/|' | LC_ALL=C sort)
listing=$(dpkg-deb --contents "$deb")
packaged=$(awk '$1 !~ /^d/ { print $NF }' <<<"$listing" | sed 's|^\./|/|' | LC_ALL=C sort)
expect_equal "the package holds what an install holds, under /usr" "$packaged" "$installed"
expect_equal "every entry is owned by root" "$(awk '{ print $2 }' <<<"$listing" | sort -u)" "root/root"
expect_equal "folders are drwxr-xr-x" "$(awk '$1 ~ /^d/ { print $1 }' <<<"$listing" | sort -u)" "drwxr-xr-x"
expect_equal "the program is -rwxr-xr-x" \
    "$(awk '$NF == "./usr/bin/fundtally" { print $1 }' <<<"$listing")" "-rwxr-xr-x"
expect_equal "the other files are -rw-r--r--" \
    "$(awk '$1 !~ /^d/ && $NF != "./usr/bin/fundtally" { print $1 }' <<<"$listing" | sort -u)" "-rw-r--r--"

dpkg-deb --extract "$deb" "$scratch/root"
program=$scratch/root/usr/bin/fundtally
file --brief "$program" | grep -q ', stripped' && pass "the packaged program is stripped" \
    || fail "the packaged program is stripped: $(file --brief "$program")"
expect_equal "the packaged program answers --version" "$("$program" --version 2>&1)" "Fundtally $version"

finish
