# The file list's road (driver/FilesRoad.cpp), on a board that splits its
# replies and sends junk between them (the Win32 port's reads must join the pieces).
road_sim=(--split --garbage)

road_prepare() {
  # Every byte value, NULs and line ends included, so nothing on the way may
  # treat the file as text.
  local i
  for i in $(seq 0 3); do
    printf "$(printf '\\%03o' $(seq 0 255))"
  done >"$work/road/table.bin"
}

road_check() {
  local board=$work/board
  check "the board's stored image unpacks" \
    bash -c '"$0" unpack "$1/state/board.kbx" "$2" >/dev/null 2>&1' "$packer" "$work" "$board"
  check "the new file is kept under its new name memo.php" \
    grep -q 'echo "Made on the road";' "$board/memo.php"
  check "no file under the old name notes.php" test ! -e "$board/notes.php"
  check "the deleted www/status.php is gone" test ! -e "$board/www/status.php"
  check "table.bin holds the PC file's bytes" cmp -s "$work/road/table.bin" "$board/table.bin"
  local f
  for f in index.php lib/util.php www/index.html www/logo.png; do
    check "$f unchanged" cmp -s "$ROOT/examples/$f" "$board/$f"
  done
}
