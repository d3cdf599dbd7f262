#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as a packager would, with `dpkg-buildpackage -us -uc -b` in a copy
# of the source, and checks it: lintian --pedantic finds no error and no warning; the package
# holds exactly what `cmake --install` installs (the programs in games/ instead of bin/) plus the
# copyright and changelog debhelper adds; hardening-check passes both programs, which carry no
# RUNPATH; blhc finds every compile line using dpkg-buildflags; a -dbgsym package comes with it;
# and the program unpacked from it answers --version without a display.
#
#   check_package.sh <source folder> <build folder> <version> [<bin folder of the build>]
# The package's own test run is left out here (nocheck), since this very ctest run holds the same
# tests; TESSARIN_PACKAGE_TESTS=1 runs it too. Exit 77 (a skip) where a Debian packaging tool is
# missing: scripts/setup-debian.sh installs them.
set -euo pipefail
usage='usage: check_package.sh <source folder> <build folder> <version> [<bin folder>]'
source_dir=$(cd "${1:?$usage}" && pwd)
build_dir=$(cd "${2:?$usage}" && pwd)
version=${3:?$usage}
bindir=${4:-bin}
for tool in dpkg-buildpackage dh lintian hardening-check blhc readelf; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done

# Always the same folder, so that a compiler cache finds the last build's objects.
work=$build_dir/debian-package
rm -rf "$work"
trap 'rm -rf "$work"' EXIT
src=$work/tessarin-$version
mkdir -p "$src"
if git -C "$source_dir" rev-parse --git-dir >/dev/null 2>&1; then
    (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf -) | tar -xf - -C "$src"
else
    tar -C "$source_dir" --exclude='./build*' -cf - . | tar -xf - -C "$src"
fi

if [ "${TESSARIN_PACKAGE_TESTS:-0}" = 1 ]; then
    options=() profiles=()
else
    options=(nocheck) profiles=(nocheck)
fi
# debhelper gives the build a HOME of its own, which would hide the user's compiler cache.
if command -v ccache >/dev/null; then
    export CMAKE_CXX_COMPILER_LAUNCHER=ccache CCACHE_DIR=${CCACHE_DIR:-$(ccache -k cache_dir)}
fi
echo "dpkg-buildpackage -us -uc -b (DEB_BUILD_OPTIONS=${options[*]})"
if ! (cd "$src" && DEB_BUILD_OPTIONS="${options[*]} parallel=$(nproc)" \
    DEB_BUILD_PROFILES="${profiles[*]}" dpkg-buildpackage -us -uc -b) >"$work/build.log" 2>&1; then
    tail -n 60 "$work/build.log"
    echo "FAIL: dpkg-buildpackage"
    exit 1
fi
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$work/tessarin_${version}_$arch.deb
dbgsym=$work/tessarin-dbgsym_${version}_$arch.deb
changes=$work/tessarin_${version}_$arch.changes
for file in "$deb" "$dbgsym" "$changes"; do
    [ -f "$file" ] || { ls "$work"; echo "FAIL: no $(basename "$file")"; exit 1; }
done
echo "built $(cd "$work" && ls ./*.deb | tr '\n' ' ')"

fail=0
# Every tag is shown; errors and warnings fail (overrides, with their reasons, are in debian/).
lintian_status=0
lintian --pedantic -I --show-overrides --fail-on error,warning "$changes" >"$work/lintian.log" 2>&1 ||
    lintian_status=$?
grep -v 'running with root privileges' "$work/lintian.log" || echo "lintian: no tags"
[ $lintian_status = 0 ] || { echo "FAIL: lintian"; fail=1; }

# Every compile and link line of the package build uses the flags dpkg-buildflags gives.
blhc "$work/build.log" || { echo "FAIL: blhc"; fail=1; }

field() { dpkg-deb -f "$deb" "$1"; }
expect_field() { # <field> <extended regular expressions its value must all match...>
    local name=$1 value pattern
    value=$(field "$name")
    shift
    for pattern in "$@"; do
        grep -qE "$pattern" <<<"$value" || { echo "FAIL: $name is '$value'"; fail=1; return; }
    done
    echo "$name: $value"
}
# A package named in Depends: at the start or after a comma, then a blank, a comma or the end.
depends_on() { echo "(^|, )$1( |,|$)"; }
expect_field Package '^tessarin$'
expect_field Version "^${version//./\\.}$"
expect_field Section '^games$'
expect_field Depends "$(depends_on libqt6widgets6)" "$(depends_on libqt6core6)" "$(depends_on libc6)"

# Exactly what the install rules install, whatever they are (no list kept here), with the
# programs in games/; the man pages come compressed, and debhelper adds the copyright and the
# changelog.
cmake --install "$build_dir" --prefix "$work/installed" >/dev/null
dpkg -x "$deb" "$work/root"
if ! diff <(cd "$work/installed" && find . ! -type d | sed "s|^\./$bindir/|./games/|" | sort) \
    <(cd "$work/root/usr" && find . ! -type d |
        grep -vxE '\./share/doc/tessarin/(copyright|changelog\.gz)' |
        sed 's|^\(\./share/man/man6/.*\.6\)\.gz$|\1|' | sort) >"$work/diff"; then
    echo "FAIL: the package's files under /usr differ from what cmake --install installs:"
    cat "$work/diff"
    fail=1
fi
[ -z "$(cd "$work/root" && find . ! -type d ! -path './usr/*')" ] ||
    { echo "FAIL: files outside /usr"; fail=1; }

programs=("$work/root/usr/games/tessarin" "$work/root/usr/games/pbrain-tessarin")
# Control flow protection is asked for only where dpkg-buildflags gives it (not on Debian 12).
skip=()
DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get CXXFLAGS | grep -q -- -fcf-protection ||
    skip=(--nocfprotection)
hardening-check "${skip[@]}" "${programs[@]}" || { echo "FAIL: hardening-check"; fail=1; }
for program in "${programs[@]}"; do
    ! readelf -d "$program" | grep -E 'R(UN)?PATH' || { echo "FAIL: $program has a RUNPATH"; fail=1; }
done
[ "$(dpkg-deb -c "$dbgsym" | grep -c '/usr/lib/debug/\.build-id/.*\.debug$')" = 2 ] ||
    { echo "FAIL: the -dbgsym package does not hold the two programs' symbols"; fail=1; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "${programs[0]}" --version)
[ "$out" = "Tessarin $version" ] || { echo "FAIL: the unpacked tessarin --version said: $out"; fail=1; }
[ $fail = 0 ] && echo "package check passed"
exit $fail
