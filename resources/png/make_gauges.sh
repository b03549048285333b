#!/usr/bin/env bash
# Draws the gauge skins of the flash-usage bar and the resource view with
# ImageMagick: track (20 px high), fill and over-full fill (18 px high), each
# a rounded left end, a plain middle that is stretched, and a rounded right
# end. Run it again after a change and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
OUT=(-depth 8 -strip -define png:exclude-chunks=date,time)

# skin <name> <colour> <height>
skin() {
  local name=$1 colour=$2 h=$3
  convert -size "12x${h}" xc:none -fill "$colour" -draw "roundrectangle 0,0 11,$((h - 1)) 5,5" full.png
  convert full.png -crop "6x${h}+0+0" +repage "${OUT[@]}" "gauge_${name}_left.png"
  convert full.png -crop "6x${h}+6+0" +repage "${OUT[@]}" "gauge_${name}_right.png"
  convert -size "4x${h}" "xc:$colour" "${OUT[@]}" "gauge_${name}_middle.png"
  rm -f full.png
}
skin track '#6E6E6E' 20
skin fill '#1A73E8' 18
skin over '#D93025' 18
