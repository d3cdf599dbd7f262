#!/usr/bin/env bash
# Builds the Debian package with CPack and checks it as a user's dpkg would see it: its name,
# version and library dependencies, that it holds exactly what `cmake --install` installs, and
# that the program unpacked from it answers --version without a display.
#
#   check_package.sh <build folder> <version>
# Exit 77 (a skip) where dpkg-shlibdeps or file is missing: scripts/setup-debian.sh installs them.
set -euo pipefail
build_dir=${1:?usage: check_package.sh <build folder> <version>}
version=${2:?usage: check_package.sh <build folder> <version>}
for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool not installed"; exit 77; }
done
work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-deb.XXXXXX")
trap 'rm -rf "$work"' EXIT

cpack --config "$build_dir/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; echo "FAIL: cpack"; exit 1; }
debs=("$work"/out/*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: expected one .deb, got: ${debs[*]}"; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb")"

fail=0
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
expect_field Depends "$(depends_on libqt6widgets6)" "$(depends_on libqt6core6)" "$(depends_on libc6)"

# Exactly what the install rules install, whatever they are: no list kept here.
cmake --install "$build_dir" --prefix "$work/installed" >/dev/null
dpkg -x "$deb" "$work/root"
if ! diff <(cd "$work/installed" && find . ! -type d | sort) \
    <(cd "$work/root/usr" && find . ! -type d | sort) >"$work/diff"; then
    echo "FAIL: the package's files under /usr differ from what cmake --install installs:"
    cat "$work/diff"
    fail=1
fi
[ -z "$(cd "$work/root" && find . ! -type d ! -path './usr/*')" ] ||
    { echo "FAIL: files outside /usr"; fail=1; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$work/root/usr/bin/tessarin" --version)
[ "$out" = "Tessarin $version" ] || { echo "FAIL: the unpacked tessarin --version said: $out"; fail=1; }
[ $fail = 0 ] && echo "package check passed"
exit $fail
