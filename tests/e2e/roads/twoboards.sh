# Two boards one after the other on one port (driver/TwoBoardsRoad.cpp): board A
# serves examples/ and its index.php is changed in the editor, not uploaded;
# then board B, with an index.php of its own, takes A's place on the port. The
# changed file is kept (No) and then let go (Yes); the upload that follows
# must write B's own index.php to B, never the text typed on A's.
road_prepare() {
  local b=$work/road/b
  mkdir -p "$b/lib" "$b/mmap" "$work/state-b" &&
    printf '<?php\r\necho "Board B here\\r\\n";\r\n?>\r\n' >"$b/index.php" &&
    printf '<?php\r\n// only on board B\r\n?>\r\n' >"$b/b.php" &&
    "$packer" pack "$b" "$work/road/board-b.kbx" >/dev/null
}
# What the demo starts in board A's place when the driver asks (NEXTBOARD).
road_next_sim=(--image "$work/road/board-b.kbx" --state "$work/state-b" --log "$work/sim-b.log")
road_check() {
  local after=$work/b-after
  check "board B's stored image unpacks after the upload" \
    bash -c '"$0" unpack "$1/state-b/board.kbx" "$2" >/dev/null 2>&1' "$packer" "$work" "$after"
  check "board B keeps its own index.php" grep -q 'Board B here' "$after/index.php"
  check "no text typed on board A reached board B" bash -c '! grep -rq "Edited on board A" "$0"' "$after"
  check "board B keeps b.php" test -f "$after/b.php"
  check "no file of board A's list reached board B" test ! -e "$after/www/index.html"
  check "board B took one upload (04/10)" test "$(grep -c 'RX .*04/10' "$work/sim-b.log")" = 1
  check "board A took none" bash -c '! grep -q "RX .*04/10" "$0"' "$work/sim.log"
}
