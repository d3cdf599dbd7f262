#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as Debian's builders do: sbuild in a clean Debian 12 chroot, which
# holds only build-essential and what Build-Depends names (no Recommends), with the package's
# own tests on. Then lintian --pedantic on the result, the as-installed tests (autopkgtest) and,
# as root, piuparts (install, remove, purge), each in a fresh copy of the same clean chroot.
#
#   scripts/build-in-chroot.sh [--refresh]
#
# The chroot is a buildd base that mmdebstrap makes from the Debian 12 mirrors apt uses on this
# machine. It is kept in ${TESSARIN_CHROOT_CACHE:-~/.cache/tessarin} and made anew with
# --refresh or once it is a week old, so that it follows the point releases. sbuild and
# autopkgtest run it in a user namespace: no root, but the user needs subordinate ids in
# /etc/subuid and /etc/subgid (`usermod --add-subuids 100000-165535 --add-subgids
# 100000-165535 USER`). `scripts/setup-debian.sh --chroot` installs the tools. The packages and
# the logs go to build-chroot/.
set -euo pipefail
cd "$(dirname "$0")/.."
refresh=0
case "${1:-}" in
    --refresh) refresh=1 ;;
    "") ;;
    *) echo "usage: $0 [--refresh]" >&2; exit 2 ;;
esac
bash scripts/setup-debian.sh --chroot
user=$(id -un)
for ids in /etc/subuid /etc/subgid; do
    grep -q "^$user:" "$ids" 2>/dev/null || {
        echo "$user has no subordinate ids in $ids: see the top of $0" >&2
        exit 1
    }
done

dist=bookworm
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
cache=${TESSARIN_CHROOT_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tessarin}
# gzip, because piuparts unpacks its base with tar -z.
base=$cache/$dist-$arch.tar.gz
out=$PWD/build-chroot
version=$(dpkg-parsechangelog -S Version)
distribution=$(dpkg-parsechangelog -S Distribution)
started=$SECONDS
step() { echo "build-in-chroot: [$((SECONDS - started))s] $*"; }

if [ $refresh = 1 ] || [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
    # The Debian 12 archives this machine's apt uses, security and updates included, and none
    # of its other repositories.
    mapfile -t mirrors < <(apt-get indextargets --format '$(REPO_URI) $(RELEASE)' \
        'Created-By: Packages' "Architecture: $arch" | awk -v d="$dist" '
            $2 == d || $2 == d "-updates" || $2 == d "-security" { print "deb " $1 " " $2 " main" }' |
        sort -u)
    [ ${#mirrors[@]} -gt 0 ] || mirrors=("deb http://deb.debian.org/debian $dist main")
    step "making the clean $dist chroot from: ${mirrors[*]}"
    mkdir -p "$cache"
    # The name's ending tells mmdebstrap the format: a tarball, gzipped.
    rm -rf "$cache/new.tar.gz"
    mmdebstrap --quiet --variant=buildd --architectures="$arch" "$dist" "$cache/new.tar.gz" \
        "${mirrors[@]}"
    mv "$cache/new.tar.gz" "$base"
fi

# The source package, from the tracked and the new files, as the package test copies them.
rm -rf "$out"
mkdir -p "$out/source/tessarin-$version"
git ls-files -z --cached --others --exclude-standard |
    tar --null --files-from=- --ignore-failed-read -cf - | tar -xf - -C "$out/source/tessarin-$version"
(cd "$out/source" && dpkg-source --build "tessarin-$version" >/dev/null)
dsc=$out/source/tessarin_$version.dsc

step "sbuild in a clean $dist chroot, the tests on"
# DEB_BUILD_OPTIONS as Debian's builders leave it: empty, so the tests run. The chroot is named
# by its path; the .changes names the changelog's distribution, as an upload's would.
if ! (cd "$out" && env -u DEB_BUILD_OPTIONS -u DEB_BUILD_PROFILES sbuild --chroot-mode=unshare \
    --chroot="$base" --dist="$distribution" --arch="$arch" --no-arch-all --no-source --nolog \
    --no-run-lintian --no-run-piuparts --no-run-autopkgtest --jobs="$(nproc)" "$dsc" \
    >"$out/sbuild.log" 2>&1); then
    grep -E '^(E:|Status:|[0-9]+% tests passed|The following tests FAILED)' -A 4 "$out/sbuild.log" |
        tail -n 40
    echo "FAIL: sbuild (the whole log: $out/sbuild.log)"
    exit 1
fi
changes=$out/tessarin_${version}_$arch.changes
grep -E '^[0-9]+% tests passed|tests? (passed|failed)|^Status:' "$out/sbuild.log" || true

step "lintian --pedantic"
lintian_status=0
lintian --pedantic -I --fail-on error,warning "$changes" >"$out/lintian.log" 2>&1 || lintian_status=$?
grep -v 'running with root privileges' "$out/lintian.log" || echo "lintian: no tags"
[ $lintian_status = 0 ] || { echo "FAIL: lintian"; exit 1; }

step "autopkgtest in a clean $dist chroot"
# The base holds no package lists: --apt-upgrade fetches them first.
autopkgtest --apt-upgrade --no-built-binaries "$changes" "$out/source/tessarin-$version" -- \
    unshare --tarball "$base" --release "$dist" --arch "$arch" >"$out/autopkgtest.log" 2>&1 || {
    tail -n 40 "$out/autopkgtest.log"
    echo "FAIL: autopkgtest (the whole log: $out/autopkgtest.log)"
    exit 1
}
sed -n '/@@@@ summary/,$p' "$out/autopkgtest.log" | grep -E 'PASS|FAIL|SKIP'

if [ "$(id -u)" = 0 ]; then
    step "piuparts: install, remove and purge in a clean $dist chroot"
    piuparts --basetgz="$base" --distribution="$dist" --warn-on-debsums-errors \
        --log-file="$out/piuparts.log" "$changes" >/dev/null 2>&1 || {
        tail -n 40 "$out/piuparts.log"
        echo "FAIL: piuparts (the whole log: $out/piuparts.log)"
        exit 1
    }
    tail -n 1 "$out/piuparts.log"
else
    step "piuparts needs root: skipped"
fi
step "passed: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
