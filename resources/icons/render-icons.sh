#!/usr/bin/env bash
# Renders the PNG icons from their hand-written SVG sources; run it after changing an SVG and
# commit the PNGs. Needs ImageMagick and rsvg-convert (Debian: imagemagick, librsvg2-bin; the
# first reads SVG through the second). -strip keeps dates out, so unchanged pictures give
# unchanged files.
set -euo pipefail
cd "$(dirname "$0")"
convert=${CONVERT:-convert}

"$convert" -background none tessarin.svg -strip PNG32:tessarin.png
rsvg-convert -w 256 -h 256 tessarin.svg | "$convert" - -strip PNG32:tessarin-256.png

# The About icon is a 16-colour picture. Reduced without dithering, the shading of the ball
# turns into a few smooth bands instead of noise.
"$convert" -background none about.svg PNG32:- | "$convert" - -dither None -colors 16 -strip PNG8:about.png
