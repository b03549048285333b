#!/usr/bin/env bash
# Draws the program's own PNG images with ImageMagick. Run it again after a
# change and commit the PNGs; the build does not run it.
set -euo pipefail
cd "$(dirname "$0")"
FONT=DejaVu-Sans-Bold
OUT=(-depth 8 -strip -define png:exclude-chunks=date,time)

# Message-box icons, 40 x 40.
convert -size 40x40 xc:none -fill '#F4B400' -stroke '#A87A00' -strokewidth 2 \
  -draw "polygon 20,3 37,35 3,35" -stroke none -fill '#202020' -font $FONT -pointsize 22 \
  -gravity center -annotate +0+4 '!' "${OUT[@]}" icon_warning.png
convert -size 40x40 xc:none -fill '#D93025' -stroke '#A01D15' -strokewidth 2 \
  -draw "circle 20,20 20,3" -stroke white -strokewidth 4 -draw "line 13,13 27,27" \
  -draw "line 27,13 13,27" "${OUT[@]}" icon_error.png
convert -size 40x40 xc:none -fill '#1A73E8' -stroke '#0F4FA8' -strokewidth 2 \
  -draw "circle 20,20 20,3" -stroke none -fill white -font $FONT -pointsize 24 \
  -gravity center -annotate +0+1 '?' "${OUT[@]}" icon_question.png
convert -size 40x40 xc:none -fill '#1A73E8' -stroke '#0F4FA8' -strokewidth 2 \
  -draw "circle 20,20 20,3" -stroke none -fill white -font $FONT -pointsize 24 \
  -gravity center -annotate +0+1 'i' "${OUT[@]}" icon_information.png

# Wait animation: 12 frames of 40 x 40 side by side, a bright dot going round.
frames=()
for f in $(seq 0 11); do
  draw=()
  for d in $(seq 0 11); do
    a=$(echo "($d * 30 - 90) * 3.14159265 / 180" | bc -l)
    x=$(printf '%.1f' "$(echo "20 + 14 * c($a)" | bc -l)")
    y=$(printf '%.1f' "$(echo "20 + 14 * s($a)" | bc -l)")
    age=$(( (f - d + 12) % 12 ))
    case $age in 0) c='#1A73E8'; r=4;; 1) c='#5A9BEF'; r=3.6;; 2) c='#93BEF5'; r=3.2;; *) c='#C8C8C8'; r=2.8;; esac
    draw+=(-fill "$c" -draw "circle $x,$y $(echo "$x + $r" | bc -l),$y")
  done
  convert -size 40x40 xc:none "${draw[@]}" "frame_$f.png"
  frames+=("frame_$f.png")
done
convert "${frames[@]}" +append "${OUT[@]}" wait_animation.png
rm -f "${frames[@]}"

# Picture buttons: vertical strips of 4 cells (normal, hover, pressed, disabled).
# cell <size> <background> <border> <glyph colour> <glyph> <point size> <file>
cell() {
  local s=$1 bg=$2 bd=$3 fg=$4 glyph=$5 pt=$6 out=$7
  convert -size "${s}x${s}" xc:none -fill "$bg" -stroke "$bd" -strokewidth 1 \
    -draw "roundrectangle 0.5,0.5 $((s - 1)).5,$((s - 1)).5 4,4" -stroke none -fill "$fg" \
    -font DejaVu-Sans-Bold -pointsize "$pt" -gravity center -annotate +0+0 "$glyph" "$out"
}
strip() {
  local s=$1 glyph=$2 colour=$3 pt=$4 out=$5
  cell "$s" '#F7F7F7' '#B4B4B4' "$colour" "$glyph" "$pt" c0.png
  cell "$s" '#E3EFFC' '#5A9BEF' "$colour" "$glyph" "$pt" c1.png
  cell "$s" '#C4DCF8' '#1A73E8' "$colour" "$glyph" "$pt" c2.png
  cell "$s" '#EDEDED' '#D0D0D0' '#B0B0B0' "$glyph" "$pt" c3.png
  convert c0.png c1.png c2.png c3.png -append "${OUT[@]}" "$out"
  rm -f c0.png c1.png c2.png c3.png
}
strip 40 '⇄' '#188038' 24 connect.png
strip 40 '✕' '#C5221F' 22 disconnect.png
strip 40 '⚙' '#3C4043' 26 settings.png
strip 40 '↑' '#1A73E8' 26 upload.png
strip 24 '■' '#C5221F' 14 stop.png
strip 24 '▶' '#188038' 14 run.png
strip 24 '❚❚' '#3C4043' 9 pause.png
strip 24 '↓' '#1A73E8' 16 step_in.png
strip 24 '↷' '#1A73E8' 16 step_over.png

# Program icon: 32 and 16 pixels.
convert -size 32x32 xc:none -fill '#1A73E8' -draw "roundrectangle 1,1 30,30 6,6" -fill white \
  -font $FONT -pointsize 22 -gravity center -annotate +0+0 'Z' -define icon:auto-resize=32,16 ../zarvod.ico

# Editor gutter marks, 14 x 14: breakpoint and execution line.
convert -size 14x14 xc:none -fill '#D93025' -stroke '#A01D15' -strokewidth 1 -draw "circle 7,7 7,1" \
  "${OUT[@]}" breakpoint.png
convert -size 14x14 xc:none -fill '#F4D03F' -stroke '#A87A00' -strokewidth 1 \
  -draw "polygon 1,4 7,4 7,1 13,7 7,13 7,10 1,10" "${OUT[@]}" execution_line.png
