#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what Tessarin needs on Debian 12, asking apt only for what is missing and asking
# nothing (no root, no apt) when all is there.
#
#   setup-debian.sh          what the game needs and what the tests add (scripts/test.sh)
#   setup-debian.sh --game   only what building and running the game needs (scripts/play.sh)
#   setup-debian.sh --chroot what the build in a clean chroot adds (scripts/build-in-chroot.sh)
set -euo pipefail

# Building and running the game. One group a line: adding a package is a one-line change.
game_packages=(
    cmake g++ make pkg-config                 # the build
    libxcb1-dev                               # window size requests straight to the X server
    qt6-base-dev                              # Qt Widgets
    qt6-wayland                               # Qt's Wayland platform, for Wayland desktops
    fonts-arphic-uming fonts-arphic-ukai      # the Chinese texts
)

# What the tests, benchmarks and the Debian package add.
test_packages=(
    libgtest-dev libgmock-dev                 # unit tests
    libbenchmark-dev                          # benchmarks
    xvfb xauth xdotool openbox x11-utils imagemagick wmctrl   # end-to-end test under X
    desktop-file-utils appstream              # validators of the installed desktop files
    dpkg-dev build-essential debhelper        # the Debian package, built from debian/
    lintian devscripts blhc                   # its checks: lintian, hardening-check, build flags
    autopkgtest fontconfig                    # ... its as-installed tests (debian/tests), the faces there
    strace                                    # ... and the files its build's tests open
    dbus at-spi2-core python3-pyatspi         # the screen-reader test: D-Bus, AT-SPI, a reader
    orca speech-dispatcher                    # ... and GNOME's screen reader, speaking to the dummy module
    python3                                   # the brain's test manager, the include check
    qtbase5-dev                               # qpiskvork, the real manager the brain plays in
    i3-wm sway grim wtype                     # the window under a tiling WM and a Wayland compositor
    wayvnc                                    # ... whose virtual pointer clicks there
    mutter python3-gi                         # under GNOME's compositor (Qt's own title bar), keys over D-Bus
    xfwm4 metacity kwin-x11 kwin-style-breeze # the desktops' X11 window managers (mutter is above)
    marco mate-settings-daemon-common         # ... MATE's, and the settings schemas it reads
    muffin cinnamon-settings-daemon           # ... Cinnamon's, with the settings it reads
)

# The Debian package built as Debian's builders do, and its checks in clean chroots.
chroot_packages=(
    sbuild mmdebstrap uidmap                  # a clean chroot in a user namespace, the build in it
    dpkg-dev lintian autopkgtest piuparts     # the source package; its checks
)

case "${1:-}" in
    --game) packages=("${game_packages[@]}") ;;
    --chroot) packages=("${chroot_packages[@]}") ;;
    "") packages=("${game_packages[@]}" "${test_packages[@]}") ;;
    *) echo "usage: $0 [--game | --chroot]" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || {
        echo "Missing packages: ${missing[*]}" >&2
        echo "Install them as root (apt-get install ${missing[*]}) and run this again." >&2
        exit 1
    }
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
