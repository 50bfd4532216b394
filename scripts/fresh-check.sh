#!/usr/bin/env bash
# Proves that a bare Debian 12 goes from a clone to a green suite with the
# README's commands alone: builds a minimal bookworm system in a scratch
# folder, copies a clean clone of HEAD into it and runs scripts/test.sh there
# as root, in a clean environment. Then runs scripts/run.sh there without a
# display, which must build and explain how to run under xvfb-run, and builds
# the Debian package there with scripts/package.sh, installs it with apt-get
# and runs the installed `fundtally --version`.
#
# Nothing is cached between runs: the scratch system is made anew each time
# and removed afterwards. Needs root (debootstrap, mount, chroot).
#
#   scripts/fresh-check.sh            # uses deb.debian.org, or FRESH_MIRROR
#
# Exits with the status of the test run inside (or of the first step that
# failed before it).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mirror=${FRESH_MIRROR:-http://deb.debian.org/debian}
suite=bookworm
# The clean environment inside: nothing of the caller's shell leaks in.
inside_path=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
# scripts/run.sh's exit status when it has built but has no display.
no_display_status=3

if [[ $(id -u) -ne 0 ]]; then
    exec sudo -- "$0" "$@"
fi

"$root/scripts/setup.sh" fresh

scratch=$(mktemp -d "${TMPDIR:-/var/tmp}/fundtally-fresh.XXXXXX")
system=$scratch/system
mounted=()

# Ends whatever still runs inside, unmounts in reverse order and removes the
# scratch folder, but never while anything is still mounted under it: that
# would delete through the mount into the host's /dev.
cleanup() {
    local status=$?
    set +e
    local pid
    for pid in /proc/[0-9]*; do
        if [[ $(readlink "$pid/root" 2>/dev/null) == "$system" ]]; then
            kill -KILL "${pid#/proc/}" 2>/dev/null
        fi
    done
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}"
    done
    if grep -qF " $scratch/" /proc/self/mounts; then
        echo "fresh-check: left $scratch in place: something is still mounted there" >&2
    else
        rm -rf --one-file-system "$scratch"
    fi
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

mount_inside() { # <what> <where inside> [mount options...]
    local target=$system$2
    mkdir -p "$target"
    mount "${@:3}" "$1" "$target"
    mounted+=("$target")
}

step() { printf '\n== fresh-check: %s (%s)\n' "$1" "$(date -u +%H:%M:%S)"; }
started=$SECONDS

step "building a minimal $suite system"
debootstrap --variant=minbase "$suite" "$system" "$mirror" >"$scratch/debootstrap.log" 2>&1 || {
    tail -n 40 "$scratch/debootstrap.log"
    exit 1
}

# The same archive and the same access settings as this machine's apt, so
# the scratch system reaches the packages this machine can reach; no package
# is copied in.
if [[ -f /etc/apt/sources.list.d/debian.sources ]]; then
    rm -f "$system/etc/apt/sources.list"
    cp /etc/apt/sources.list.d/debian.sources "$system/etc/apt/sources.list.d/"
fi
for conf in /etc/apt/apt.conf.d/*; do
    if grep -qsE '^[[:space:]]*Acquire::' "$conf"; then
        cp "$conf" "$system/etc/apt/apt.conf.d/"
    fi
done
cp /etc/resolv.conf "$system/etc/resolv.conf"

step "copying a clean clone of HEAD"
git clone --quiet --no-hardlinks "$root" "$system/root/fundtally"
git -C "$system/root/fundtally" log -1 --format='   at %h %s'

mount_inside proc /proc -t proc
mount_inside /dev /dev --bind
mount --make-rslave "$system/dev"
mount_inside /dev/pts /dev/pts --bind
mount_inside tmpfs /dev/shm -t tmpfs -o mode=1777,size=1g

inside() { # <command line run by bash in the clone, as root, clean environment>
    chroot "$system" /usr/bin/env -i PATH="$inside_path" HOME=/root CI="${CI:-1}" \
        /bin/bash -c "cd /root/fundtally && $1"
}

step "scripts/test.sh inside"
test_status=0
inside 'scripts/test.sh' >"$scratch/test.log" 2>&1 || test_status=$?
installed=$(sed -n 's/^Installing: //p' "$scratch/test.log" | head -n 1)
if ((test_status != 0)); then
    tail -n 80 "$scratch/test.log"
else
    # The tests' own output, from CTest's first line on.
    sed -n '/^Test project/,$p' "$scratch/test.log"
fi
echo
echo "Packages installed inside by scripts/setup.sh ($(wc -w <<<"$installed")): $installed"
echo "Packages in the scratch system afterwards: $(inside 'dpkg-query -W | wc -l')"

run_status=0
if ((test_status == 0)); then
    step "scripts/run.sh inside, without a display"
    inside 'scripts/run.sh' >"$scratch/run.log" 2>&1 || run_status=$?
    cat "$scratch/run.log"
    if ((run_status == no_display_status)) && grep -q 'xvfb-run' "$scratch/run.log" \
        && [[ -x $system/root/fundtally/build/app/fundtally ]]; then
        echo "run.sh built the program and explained how to run it without a display."
        run_status=0
    else
        echo "fresh-check: run.sh did not end with its no-display message (exit $run_status)" >&2
        run_status=1
    fi
fi

package_status=0
if ((test_status == 0 && run_status == 0)); then
    step "the Debian package inside: scripts/package.sh, apt-get install, fundtally --version"
    # apt-get resolves the package's Depends from the archive, as a user's
    # install would; the installed program then answers from /usr/bin.
    inside 'scripts/package.sh && cd build-package \
        && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends ./fundtally_*.deb \
        && dpkg-query -W -f="installed \${Package} \${Version}\n" fundtally \
        && command -v fundtally && fundtally --version' >"$scratch/package.log" 2>&1 || package_status=$?
    tail -n 20 "$scratch/package.log"
    if ((package_status != 0)); then
        echo "fresh-check: the package did not build, install or run (exit $package_status)" >&2
    fi
fi

step "done in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"
summary=$(grep -E '^[0-9]+% tests passed' "$scratch/test.log" | tail -n 1 || true)
echo "Inside the scratch system: ${summary:-no CTest summary (the build or set-up failed)}"
if ((test_status != 0)); then
    exit "$test_status"
fi
if ((run_status != 0)); then
    exit "$run_status"
fi
exit "$package_status"
