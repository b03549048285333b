# The restore road (driver/RestoreRoad.cpp): the board's image carries a
# file-system value of its own (0102); the board takes the first 1 KiB chunk
# of the upload, then its cable is pulled, and it comes back 1.5 s later.
# Between the restore and the second upload the board must have been asked
# its task state and told to stop nothing; it keeps its file-system value
# and the edit.
road_prepare() {
  # The u16 at bytes 8-9 of the header (outside its CRC).
  printf '\002\001' | dd of="$work/project.kbx" bs=1 seek=8 conv=notrunc status=none
}
road_sim=(--chunk-cap 1024 --unplug-in-upload 1 --replug-ms 1500)
fs_value() { od -An -tx2 -j8 -N2 "$1" | tr -d ' '; }
# From the last identification's 01/33 (the return) to the second upload's
# 05/51: "1" when the task state was asked before any stop, then the stops.
after_restore() {
  awk '
    / RX 01\/33 / { asked = stops = 0 }
    / RX 01\/51 / && !stops { asked = 1 }
    / RX 02\/21 .*\[int32 1, int32 1\]/ { stops++ }
    / RX 05\/51 / && ++uploads == 2 { print asked, stops; exit }' "$work/sim.log"
}
road_check() {
  local board=$work/board seen
  seen=$(after_restore)
  check "the first upload was cut off by the pulled cable" grep -q "unplugged in the upload" "$work/sim.log"
  check "after the restore the board was asked its task state (01/51) before the second upload" \
    test "${seen% *}" = 1
  check "no task stop (02/21 1, 1) between the restore and the second upload" test "${seen#* }" = 0
  check "the board's stored image unpacks and holds the edit" \
    bash -c '"$0" unpack "$1/state/board.kbx" "$2" >/dev/null 2>&1 && grep -q "typed before the cable was pulled" "$2/index.php"' \
    "$packer" "$work" "$board"
  check "the board keeps its file-system value ($(fs_value "$work/project.kbx"); stored: $(fs_value "$work/state/board.kbx"))" \
    test "$(fs_value "$work/state/board.kbx")" = "$(fs_value "$work/project.kbx")"
}
