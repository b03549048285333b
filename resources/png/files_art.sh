#!/usr/bin/env bash
# Draws the file list's row icons with ImageMagick (16 x 16, the current-file
# marker 9 x 12). Run it again after a change and commit the PNGs.
set -euo pipefail
cd "$(dirname "$0")"
OUT=(-depth 8 -strip -define png:exclude-chunks=date,time)
# In step with the board: a green tick.
convert -size 16x16 xc:none -fill '#188038' -draw "circle 8,8 8,1" -stroke white -strokewidth 2 -fill none \
  -draw "polyline 4,8 7,11 12,5" "${OUT[@]}" file_state1.png
# Changed: an orange dot.
convert -size 16x16 xc:none -fill '#F29900' -stroke '#B06F00' -draw "circle 8,8 8,2" "${OUT[@]}" file_state2.png
# Linked to a PC file: two blue links, on a white halo that keeps them
# visible on the blue of a selected row.
convert -size 16x16 xc:none -fill none -stroke white -strokewidth 4 \
  -draw "roundrectangle 1,5 9,11 3,3" -draw "roundrectangle 7,5 15,11 3,3" -stroke '#1A73E8' -strokewidth 2 \
  -draw "roundrectangle 1,5 9,11 3,3" -draw "roundrectangle 7,5 15,11 3,3" "${OUT[@]}" file_linked.png
# Kept for an external editor, in step: a purple square.
convert -size 16x16 xc:none -fill '#8E24AA' -draw "roundrectangle 2,2 13,13 3,3" -fill white \
  -draw "rectangle 5,5 10,6" -draw "rectangle 5,9 10,10" "${OUT[@]}" file_state4.png
# The current file: a blue triangle pointing right, edged in white for a selected row.
convert -size 9x12 xc:none -fill '#2192FF' -stroke white -strokewidth 1 -draw "polygon 1,1 8,6 1,11" \
  "${OUT[@]}" file_current.png
# A folder.
convert -size 16x16 xc:none -fill '#E8B030' -stroke '#A87A00' -draw "polygon 1,3 6,3 7,5 14,5 14,13 1,13" \
  "${OUT[@]}" file_folder.png
