#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs into a scratch prefix and checks that a desktop finds everything where it looks,
# that the launcher and software-centre files pass their validators, and that the program
# answers --help and --version on the terminal without a display.
#
#   check_install.sh <build folder> [<bin folder> [<man folder>]]   (bin, share/man by default)
set -euo pipefail
build_dir=$1
bin=${2:-bin}
man=${3:-share/man}
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT

cmake --install "$build_dir" --prefix "$prefix" >/dev/null

fail=0
id=org.tessarin.Tessarin
for file in "$bin/tessarin" "$bin/pbrain-tessarin" "$man/man6/tessarin.6" \
    "$man/man6/pbrain-tessarin.6" share/applications/$id.desktop share/metainfo/$id.metainfo.xml \
    share/icons/hicolor/{scalable/apps/$id.svg,32x32/apps/$id.png,256x256/apps/$id.png}; do
    if [ -e "$prefix/$file" ]; then echo "installed: $file"; else echo "MISSING: $file"; fail=1; fi
done
[ $fail -eq 0 ] || exit 1

desktop-file-validate "$prefix/share/applications/$id.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml"

# The 32 x 32 icon really is 32 x 32.
size=$(/usr/bin/identify -format '%wx%h' "$prefix/share/icons/hicolor/32x32/apps/$id.png")
[ "$size" = 32x32 ] || { echo "32x32 icon is $size"; exit 1; }

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/$bin/tessarin" --version)
[ "$out" = "Tessarin 1.0" ] || { echo "--version said: $out"; exit 1; }
env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM= "$prefix/$bin/tessarin" --help | grep -q -- '--version' ||
    { echo "--help does not list --version"; exit 1; }
# The brain answers from where it was installed.
about=$(printf 'ABOUT\r\nEND\r\n' | "$prefix/$bin/pbrain-tessarin")
[[ $about == 'name="Tessarin", version="1.0"'* ]] || { echo "pbrain-tessarin said: $about"; exit 1; }
echo "install check passed"
