#!/usr/bin/env bash
# Checks what makes Fundtally part of the desktop with the desktop's own
# tools: the desktop entry, the software-centre listing and the file type
# definition are valid and agree; an install puts each where the desktop looks
# for it; and, with the installed file type, profiles are told apart from
# other text.
#
#   desktopintegration.sh <source folder> <build folder>
set -uo pipefail
source_dir=$1
build_dir=$2
data=$source_dir/app/data
desktop_entry=$data/fundtally.desktop
metainfo=$data/org.fundtally.Fundtally.metainfo.xml
mime_xml=$data/fundtally-mime.xml
profile_type=application/x-fundtally-profile
icon_sizes=(16 32 48 64 128 256)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failures=0

pass() { echo "PASS   : $1"; }
fail() { echo "FAIL!  : $1" >&2; failures=$((failures + 1)); }
check() {
    local what=$1
    shift
    local output
    if output=$("$@" 2>&1); then
        pass "$what"
    else
        fail "$what"
        printf '%s\n' "$output" >&2
    fi
}
expect_equal() {
    if [[ "$2" == "$3" ]]; then pass "$1"; else fail "$1: expected '$3', got '$2'"; fi
}

# The files as they are in the source tree.
check "desktop-file-validate accepts the desktop entry" desktop-file-validate "$desktop_entry"
check "appstreamcli accepts the metainfo" appstreamcli validate --no-net "$metainfo"
check "the MIME definition is well-formed XML" xmllint --noout "$mime_xml"

# The three files name one file type, and the listing names the entry.
expect_equal "the desktop entry opens the profile type" \
    "$(sed -n 's/^MimeType=//p' "$desktop_entry")" "$profile_type;"
expect_equal "the desktop entry passes one file" "$(sed -n 's/^Exec=//p' "$desktop_entry")" "fundtally %f"
expect_equal "the metainfo provides the profile type" \
    "$(xmllint --xpath 'string(//provides/mediatype)' "$metainfo")" "$profile_type"
expect_equal "the metainfo launches the desktop entry" \
    "$(xmllint --xpath 'string(//launchable[@type="desktop-id"])' "$metainfo")" "$(basename "$desktop_entry")"
expect_equal "the MIME definition defines the profile type" \
    "$(xmllint --xpath 'string(//*[local-name()="mime-type"]/@type)' "$mime_xml")" "$profile_type"

# An install into a scratch prefix holds exactly what the desktop needs.
prefix=$scratch/prefix
check "cmake --install into a scratch prefix" cmake --install "$build_dir" --prefix "$prefix" --strip
expected=(
    bin/fundtally
    # the quote transport, which the program loads from ../lib/fundtally
    lib/fundtally/libfundtally_curltransport.so
    share/applications/fundtally.desktop
    share/fundtally/ready-made-sources.json
    share/icons/hicolor/scalable/apps/fundtally.svg
    share/metainfo/org.fundtally.Fundtally.metainfo.xml
    share/mime/packages/fundtally.xml
)
for size in "${icon_sizes[@]}"; do
    expected+=("share/icons/hicolor/${size}x${size}/apps/fundtally.png")
done
installed=$(cd "$prefix" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
expect_equal "the install holds the program, its transport module and its desktop files" \
    "$installed" "$(printf '%s\n' "${expected[@]}" | LC_ALL=C sort)"
for size in "${icon_sizes[@]}"; do
    icon=$prefix/share/icons/hicolor/${size}x${size}/apps/fundtally.png
    expect_equal "the ${size}-pixel icon is that size" \
        "$(file --brief "$icon" 2>&1 | grep -o '[0-9]* x [0-9]*')" "$size x $size"
done
check "the installed program is stripped" bash -c "file --brief '$prefix/bin/fundtally' | grep -q ', stripped'"

# The installed ready-made sources serve a run that names them, as from cron:
# no session bus, no key given, each source says where its key was looked for.
ready_made_run=$(env -i HOME="$scratch/home" PATH="$PATH" QT_QPA_PLATFORM=offscreen \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$scratch/no-bus" \
    FUNDTALLY_QUOTE_SOURCES="$prefix/share/fundtally/ready-made-sources.json" \
    "$prefix/bin/fundtally" --price VTI 2>&1)
expect_equal "the installed ready-made sources, without keys, say where each key was looked for" \
    "$(grep -o 'Finnhub: API key missing: [^;]*' <<<"$ready_made_run")" \
    "Finnhub: API key missing: not in the environment (FUNDTALLY_KEY_FINNHUB), the desktop keyring cannot be reached here, none in the key file"

# The installed file type, as a file manager sees it. xdg-mime asks GIO, which
# reads the MIME database the way GNOME's file manager does.
export XDG_DATA_HOME=$prefix/share XDG_DATA_DIRS=/usr/share XDG_CURRENT_DESKTOP=GNOME GIO_USE_VFS=local
check "update-mime-database builds the scratch database" update-mime-database "$XDG_DATA_HOME/mime"
check "update-desktop-database indexes the entry" update-desktop-database "$XDG_DATA_HOME/applications"

sample=$source_dir/examples/retirement.ftly
files=$scratch/files
mkdir -p "$files"
cp "$sample" "$files/savings.ftly"
cp "$sample" "$files/SAVINGS.FTLY"
cp "$sample" "$files/savings-without-extension"
printf 'AssetNames\tare listed below\n' >"$files/near-miss"
printf 'Not a profile at all\n' >"$files/renamed.ftly"
cp "$sample" "$files/savings.txt"
# file name, expected type, why
while IFS='|' read -r name type why; do
    expect_equal "xdg-mime: $why ($name)" \
        "$(xdg-mime query filetype "$files/$name" 2>&1)" "$type"
done <<CASES
savings.ftly|$profile_type|a saved profile
SAVINGS.FTLY|$profile_type|the extension in capitals
savings-without-extension|$profile_type|the leading AssetName label alone
near-miss|text/plain|a different leading label
renamed.ftly|$profile_type|the extension outweighs the contents
savings.txt|text/plain|another extension outweighs the label
CASES
expect_equal "xdg-mime: profiles open with Fundtally" \
    "$(xdg-mime query default "$profile_type" 2>&1)" "fundtally.desktop"

if ((failures > 0)); then
    echo "$failures desktop integration check(s) failed" >&2
    exit 1
fi
echo "All desktop integration checks passed"
