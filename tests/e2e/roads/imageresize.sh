# A picture resized in the viewer goes to the board at its new size
# (driver/ImageResizeRoad.cpp): www/logo.png, 48 x 48 in examples/, is resized
# to 96 x 24, left and shown again, then uploaded.
png_size() {  # the width and height of a PNG's header chunk
  [ "$(head -c 8 "$1" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || return 1
  od -An -tu1 -j16 -N8 "$1" | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'
}
road_check() {
  local board=$work/board
  check "the board's stored image unpacks" \
    bash -c '"$0" unpack "$1/state/board.kbx" "$2" >/dev/null 2>&1' "$packer" "$work" "$board"
  local size
  size=$(png_size "$board/www/logo.png")
  check "the board's www/logo.png is a PNG of 96 x 24 (was 48 x 48): $size" test "$size" = "96 24"
  check "index.php unchanged" cmp -s "$ROOT/examples/index.php" "$board/index.php"
}
