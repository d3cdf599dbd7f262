#!/usr/bin/env bash
# Installs what building, running and testing Tessarin needs on Debian 12. Safe to run again:
# it asks apt only for what is missing, and asks nothing when all is there.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool openbox x11-utils imagemagick wmctrl libxcb1-dev
    fonts-arphic-uming fonts-arphic-ukai
    desktop-file-utils appstream
    # The game's own runtime on a Wayland desktop.
    qt6-wayland
    # End-to-end tests of the window under a tiling window manager and a Wayland compositor.
    i3-wm sway grim
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
