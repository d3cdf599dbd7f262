#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the PNG icons from their hand-written SVG sources; run it after changing an SVG and
# commit the PNGs. Needs ImageMagick and rsvg-convert (Debian: imagemagick, librsvg2-bin; the
# first reads SVG through the second). -strip keeps dates out, so unchanged pictures give
# unchanged files.
set -euo pipefail
cd "$(dirname "$0")"
convert=${CONVERT:-convert}

# Both 32 x 32 icons are 16-colour pictures. Reduced without dithering, the shading turns into
# a few smooth bands instead of noise. The large one for the desktop keeps full colour.
"$convert" -background none tessarin.svg PNG32:- | "$convert" - -dither None -colors 16 -strip PNG8:tessarin.png
rsvg-convert -w 256 -h 256 tessarin.svg | "$convert" - -strip PNG32:tessarin-256.png
"$convert" -background none about.svg PNG32:- | "$convert" - -dither None -colors 16 -strip PNG8:about.png
