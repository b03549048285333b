#!/usr/bin/env bash
# Solid-colour strips for the picture-button tests: each cell its own colour,
# so a sampled pixel tells which cell was drawn.
set -euo pipefail
cd "$(dirname "$0")"
colours=('#FF0000' '#00FF00' '#0000FF' '#808080' '#FFFF00' '#00FFFF' '#FF00FF' '#000080')
strip() {  # width cell-height cells file
  local args=()
  for ((i = 0; i < $3; i++)); do args+=(-size "$1x$2" "xc:${colours[$i]}"); done
  convert "${args[@]}" -append -depth 8 -strip -define png:exclude-chunks=date,time -type TrueColor "$4"
}
strip 80 24 4 strip4.png
strip 24 24 7 strip7.png
strip 24 24 8 strip8.png
