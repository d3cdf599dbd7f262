#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# scripts/play.sh and scripts/setup-debian.sh with stand-ins on PATH for dpkg-query, apt-get,
# sudo, id and cmake, in a scratch copy of the scripts:
#   - the game's packages installed, every test tool missing, an ordinary user: play.sh asks
#     nothing of apt or sudo and starts the game;
#   - one of the game's packages missing: play.sh asks apt for that one alone;
#   - the package script as test.sh runs it: apt is asked for the missing test tools.
#
#   play_setup_test.sh <source folder>
set -euo pipefail
source_dir=$(cd "${1:?usage: play_setup_test.sh <source folder>}" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/tessarin-setup.XXXXXX")
trap 'rm -rf "$work"' EXIT

tree=$work/tree bin=$work/bin calls=$work/calls
mkdir -p "$tree/scripts" "$bin"
cp "$source_dir/scripts/play.sh" "$source_dir/scripts/setup-debian.sh" "$tree/scripts/"

# The two package sets, read from the script itself.
eval "$(sed -n '/^game_packages=(/,/^)/p; /^test_packages=(/,/^)/p' "$source_dir/scripts/setup-debian.sh")"

# dpkg-query answers from $work/installed; sudo notes its call and runs the rest; apt-get notes
# its call and fails to install, as it would with apt's lock taken; id says $FAKE_UID; cmake
# notes its call and leaves a stand-in game where the build would put it.
cat >"$bin/dpkg-query" <<'STUB'
#!/usr/bin/env bash
package=${!#}
grep -qx -- "$package" "$WORK/installed" || { echo "dpkg-query: no packages found matching $package" >&2; exit 1; }
printf 'install ok installed'
STUB
printf '#!/usr/bin/env bash\necho "sudo $*" >>"$WORK/calls"\nexec "$@"\n' >"$bin/sudo"
printf '#!/usr/bin/env bash\necho "apt-get $*" >>"$WORK/calls"\n[ "$1" = update ]\n' >"$bin/apt-get"
printf '#!/usr/bin/env bash\necho "$FAKE_UID"\n' >"$bin/id"
cat >"$bin/cmake" <<'STUB'
#!/usr/bin/env bash
echo "cmake $*" >>"$WORK/calls"
if [ "$1" = --build ]; then
    mkdir -p "$2/app"
    printf '#!/bin/sh\necho "game started $*"\n' >"$2/app/tessarin"
    chmod +x "$2/app/tessarin"
fi
STUB
chmod +x "$bin"/*
export WORK=$work PATH="$bin:$PATH"

fail=0
check() {
    if eval "$2"; then echo "ok: $1"; else echo "FAIL: $1"; echo "--- calls:"; cat "$calls" 2>/dev/null; fail=1; fi
}
run() { # <uid> <installed packages...> -- <command...>
    export FAKE_UID=$1
    shift
    : >"$calls"
    : >"$work/installed"
    while [ "$1" != -- ]; do echo "$1" >>"$work/installed"; shift; done
    shift
    out=$("$@" 2>&1) && status=0 || status=$?
}

run 1000 "${game_packages[@]}" -- bash "$tree/scripts/play.sh" --a-flag
check "game packages present, test tools missing: play.sh asks neither apt nor sudo" \
    '! grep -qE "^(apt-get|sudo)" "$calls"'
check "... and starts the game with its arguments" \
    '[ $status = 0 ] && grep -q "game started --a-flag" <<<"$out"'
check "... built in its own folder, not the tests' one" 'grep -q -- "-B build-play" "$calls"'

run 1000 "${game_packages[@]:1}" -- bash "$tree/scripts/play.sh"
check "${game_packages[0]} missing: play.sh asks apt, through sudo, for it alone" \
    'grep -qx "sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends ${game_packages[0]}" "$calls"'
check "... and does not start the game when that fails" '[ $status != 0 ] && ! grep -q "game started" <<<"$out"'

run 0 "${game_packages[@]}" -- bash "$tree/scripts/setup-debian.sh"
check "the tests' set: apt is asked for every missing test tool" \
    'grep -qx "apt-get install -y --no-install-recommends ${test_packages[*]}" "$calls"'

exit $fail
