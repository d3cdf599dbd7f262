#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package as a packager would, with `dpkg-buildpackage -us -uc -b` in a copy
# of the source, and checks it: lintian --pedantic finds no error and no warning; the package
# holds exactly what `cmake --install` installs (the programs in games/ instead of bin/) plus the
# copyright and changelog debhelper adds; hardening-check passes both programs, which carry no
# RUNPATH; blhc finds every compile line using dpkg-buildflags; a -dbgsym package comes with it;
# the program unpacked from it answers --version without a display; Build-Depends bring every
# package whose files the package's tests open; installed without Recommends it brings a face
# for the menu; and, in CI only, its as-installed tests (debian/tests) pass on this machine.
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
for tool in dpkg-buildpackage dh lintian hardening-check blhc readelf fc-list strace; do
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

# Build-Depends complete for the package's own tests (a clean chroot holds nothing else): every
# file those tests open or run belongs to a package that build-essential, the Essential set and
# Build-Depends bring to an empty machine. They run here under strace, each test program once
# with all its cases, in a home of their own. Left out are the files read only while looking
# around, which no test needs to pass: pkg-config's listing, fontconfig's snippets, every plugin
# Qt reads the metadata of, and libc's and the loader's optional files.
: >"$work/empty-status"
mkdir -p "$work/test-list" "$work/trace" "$work/trace-home"
# Listed from a copy of the test files: ctest writes its log even when only listing, and this
# very ctest run is writing the build's.
(cd "$build_dir" && find . -name CTestTestfile.cmake ! -path './debian-package/*' \
    -exec cp --parents {} "$work/test-list/" \;)
ctest --test-dir "$work/test-list" --show-only=json-v1 -LE 'e2e|package' >"$work/tests.json"
HOME=$work/trace-home XDG_CONFIG_HOME=$work/trace-home TMPDIR=$work/trace-home \
    python3 - "$work/tests.json" "$work/trace" <<'EOF_PY' || { echo "FAIL: tracing the tests"; exit 1; }
import concurrent.futures, json, os, subprocess, sys
tests = json.load(open(sys.argv[1]))["tests"]
gtest = {t["command"][0] for t in tests if any(a.startswith("--gtest_filter") for a in t["command"])}
runs = {}
for t in tests:
    command = [a for a in t["command"] if not a.startswith("--gtest_filter")]
    key = command[0] if command[0] in gtest else t["name"]
    props = {p["name"]: p["value"] for p in t.get("properties", [])}
    env = dict(os.environ, **dict(e.split("=", 1) for e in props.get("ENVIRONMENT", [])))
    runs.setdefault(key, (command, props.get("WORKING_DIRECTORY"), env))
def trace(item):
    i, (command, cwd, env) = item
    subprocess.run(["strace", "-f", "-qq", "--seccomp-bpf", "-e", "trace=openat,execve", "-e",
                    "status=successful", "-o", f"{sys.argv[2]}/{i}"] + command, cwd=cwd, env=env,
                   stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=open(f"{sys.argv[2]}.{i}.err", "w"))
with concurrent.futures.ThreadPoolExecutor(os.cpu_count()) as pool:
    list(pool.map(trace, enumerate(runs.values())))
EOF_PY
essential=$(dpkg-query -W -f '${Package} ${Essential}\n' | awk '$2 == "yes" { print $1 }')
# shellcheck disable=SC2086
if ! { (cd "$source_dir" && apt-get -s -o Dir::State::status="$work/empty-status" build-dep ./) &&
    apt-get -s -o Dir::State::status="$work/empty-status" install build-essential $essential; } \
    >"$work/build-closure.log" 2>&1; then
    tail -n 20 "$work/build-closure.log"
    echo "FAIL: apt could not tell what Build-Depends bring"
    exit 1
fi
awk '/^Inst / { print $2 }' "$work/build-closure.log" | sort -u >"$work/build-closure"
# strace pads the process numbers to a width. Paths both ways round the merged /usr, as dpkg
# may know either; files only.
cat "$work"/trace/* | sed -nE 's/^[0-9]+ +(openat\(AT_FDCWD, |execve\()"(\/[^"]+)".*/\2/p' | sort -u |
    awk '!/\.pc$|\/(fonts|fontconfig)\/conf\.avail\/|\/qt6\/plugins\/|^\/usr\/share\/locale\/locale\.alias$|\/(ld-linux\.so\.2|libnss_[^\/]*)$|\.pth$/' |
    while read -r path; do [ ! -f "$path" ] || echo "$path"; done |
    awk '{ print } /^\/(lib|bin|sbin)\// { print "/usr" $0 } /^\/usr\/(lib|bin|sbin)\// { print substr($0, 5) }' |
    { xargs -r dpkg -S 2>/dev/null || true; } | awk -F': ' '!/^diversion/ {
        n = split($1, owners, ", "); for (i = 1; i <= n; i++) { sub(/:.*/, "", owners[i]); print owners[i] "\t" $2 } }' |
    sort -u >"$work/opened"
if [ ! -s "$work/opened" ]; then
    tail -n 5 "$work"/trace.*.err
    echo "FAIL: strace saw the package's tests open no file of a package"
    exit 1
fi
outside=$(awk -F'\t' 'NR == FNR { inside[$1]; next } !($1 in inside)' "$work/build-closure" "$work/opened")
if [ -n "$outside" ]; then
    echo "FAIL: the package's tests open files of packages that Build-Depends does not bring:"
    echo "$outside"
    fail=1
else
    echo "Build-Depends bring every one of the $(cut -f1 "$work/opened" | sort -u | wc -l) packages whose files the package's tests open"
fi

# A machine that holds nothing yet, as apt sees it with an empty package status: what
# `apt-get install --no-install-recommends` of the package brings there must hold a face with
# every character of the menu (重來 提示 比數 關於).
apt-get -s -o Dir::State::status="$work/empty-status" install --no-install-recommends "$deb" \
    >"$work/brought.log" 2>&1 || { tail -n 20 "$work/brought.log"; echo "FAIL: apt cannot install it"; exit 1; }
awk '/^Inst / { print $2 }' "$work/brought.log" | sort -u >"$work/brought"
captions="91cd 4f86 63d0 793a 6bd4 6578 95dc 65bc"
owners() { { xargs -r dpkg -S 2>/dev/null || true; } | awk -F': ' '{ print $1 }' | sort -u; }
menu_faces=$(fc-list ":charset=$captions" file | sed 's/: *$//' | owners | comm -12 - "$work/brought")
if [ -n "$menu_faces" ]; then
    echo "installed without Recommends, $(wc -l <"$work/brought") packages; the menu's face from:" $menu_faces
else
    echo "FAIL: installed without Recommends, no package brings a face for the menu"; fail=1
fi

# The as-installed tests (debian/tests) on this machine, with fontconfig seeing only the faces
# that install brings. They install the package here: only in CI, which runs on a throwaway
# machine as root, or when asked.
if [ "${CI:-}" = true ] || [ "${TESSARIN_INSTALL_TESTS:-0}" = 1 ]; then
    {
        echo '<?xml version="1.0"?><!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">'
        echo '<fontconfig><include>/etc/fonts/fonts.conf</include><selectfont><rejectfont>'
        fc-list : file | sed 's/: *$//' | sort -u >"$work/faces"
        { xargs -r dpkg -S <"$work/faces" 2>/dev/null || true; } | sort -u | awk -F': ' '
            NR == FNR { brought[$1]; next } $1 in brought { print $2 }' "$work/brought" - |
            sort -u | comm -23 "$work/faces" - | sed 's|.*|<glob>&</glob>|'
        echo "</rejectfont></selectfont><cachedir>$work/fc-cache</cachedir></fontconfig>"
    } >"$work/brought-fonts.conf"
    if autopkgtest --no-built-binaries --env="FONTCONFIG_FILE=$work/brought-fonts.conf" "$deb" \
        "$src" -- null >"$work/autopkgtest.log" 2>&1; then
        grep -E '^(ok:|faces with)|^installed-[a-z]+ +(PASS|FAIL|SKIP)' "$work/autopkgtest.log"
    else
        tail -n 40 "$work/autopkgtest.log"
        echo "FAIL: autopkgtest"; fail=1
    fi
else
    echo "as-installed tests not run: they install the package (CI=true or TESSARIN_INSTALL_TESTS=1)"
fi
[ $fail = 0 ] && echo "package check passed"
exit $fail
