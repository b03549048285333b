#!/usr/bin/env bash
# Draws the access-point list's icons with ImageMagick (16 x 16): four signal
# levels as rising bars, and a lock drawn over them for secured networks.
# Run it again after a change and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
OUT=(-depth 8 -strip -define png:exclude-chunks=date,time)
bars() {  # <lit bars 1..4> <file>
  local draw=() i x h c
  for i in 1 2 3 4; do
    x=$(( (i - 1) * 4 + 1 )); h=$(( i * 3 + 2 ))
    if [ "$i" -le "$1" ]; then c='#188038'; else c='#C8C8C8'; fi
    draw+=(-fill "$c" -draw "rectangle $x,$(( 15 - h )) $(( x + 2 )),15")
  done
  convert -size 16x16 xc:none "${draw[@]}" "${OUT[@]}" "$2"
}
bars 4 signal4.png
bars 2 signal2.png
bars 3 signal3.png
bars 1 signal1.png
convert -size 16x16 xc:none -fill none -stroke '#5F6368' -strokewidth 1.5 -draw "arc 8,0 14,8 180,360" \
  -stroke '#5F6368' -strokewidth 1 -fill '#F4B400' -draw "rectangle 7.5,4.5 14.5,10.5" "${OUT[@]}" lock.png
