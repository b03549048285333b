# The restore road (driver/RestoreRoad.cpp): the board's image carries a
# file-system value of its own (0102); the board takes the first 1 KiB chunk
# of the upload, then its cable is pulled, and it comes back 1.5 s later.
# Then board B (0304) takes the port, with a backup of its own left in the
# program's backup folder by an upload cut off in an earlier run. After each
# restore the board must have been asked its task state and told to stop
# nothing before the upload; each keeps its file-system value and what the
# restored files hold.
mcu_b=3a0024000851363033369999
# The u16 at bytes 8-9 of an image's header (outside its CRC): FILE OCTAL-BYTES.
set_fs_value() { printf "$2" | dd of="$1" bs=1 seek=8 conv=notrunc status=none; }
fs_value() { od -An -tx2 -j8 -N2 "$1" 2>/dev/null | tr -d ' '; }
road_prepare() {
  local b=$work/road/b kept=$work/road/b-backup docs
  set_fs_value "$work/project.kbx" '\002\001' &&
    mkdir -p "$b" "$kept" "$work/state-b" &&
    printf '<?php\r\necho "Board B as it was\\r\\n";\r\n?>\r\n' >"$b/index.php" &&
    printf '<?php\r\necho "Board B from its backup\\r\\n";\r\n?>\r\n' >"$kept/index.php" &&
    "$packer" pack "$b" "$work/road/board-b.kbx" >/dev/null && set_fs_value "$work/road/board-b.kbx" '\004\003' &&
    "$packer" pack "$kept" "$work/road/b-backup.kbx" >/dev/null &&
    set_fs_value "$work/road/b-backup.kbx" '\004\003' || return 1
  # The program's backup folder (Documents\ZarvoD), the files named after B's MCU id.
  for docs in "$WINEPREFIX"/drive_c/users/*/Documents; do
    [[ "$docs" == */Public/Documents ]] && continue
    mkdir -p "$docs/ZarvoD" && cp "$work/road/b-backup.kbx" "$docs/ZarvoD/$mcu_b.kbx" &&
      printf '\004\003' >"$docs/ZarvoD/$mcu_b.wc" || return 1
  done
}
road_sim=(--chunk-cap 1024 --unplug-in-upload 1 --replug-ms 1500)
road_next_sim=(--image "$work/road/board-b.kbx" --state "$work/state-b" --log "$work/sim-b.log" --mcu-id "$mcu_b")
# In LOG, from the last identification's 01/33 to upload number N's 05/51:
# "1" when the task state was asked before any stop, then the stops.
after_restore() {
  awk -v n="$2" '
    / RX 01\/33 / { asked = stops = 0 }
    / RX 01\/51 / && !stops { asked = 1 }
    / RX 02\/21 .*\[int32 1, int32 1\]/ { stops++ }
    / RX 05\/51 / && ++uploads == n { print asked, stops; exit }' "$1"
}
# What a board keeps: STATE-DIR TEXT SERVED-IMAGE NAME.
check_kept() {
  local stored=$1/board.kbx out=$1/unpacked
  check "$4's stored image unpacks and its index.php holds \"$2\"" \
    bash -c '"$0" unpack "$1" "$2" >/dev/null 2>&1 && grep -q "$3" "$2/index.php"' "$packer" "$stored" "$out" "$2"
  check "$4 keeps its file-system value ($(fs_value "$3"); stored: $(fs_value "$stored"))" \
    test "$(fs_value "$stored")" = "$(fs_value "$3")"
}
road_check() {
  local a b
  a=$(after_restore "$work/sim.log" 2) b=$(after_restore "$work/sim-b.log" 1)
  check "the first upload was cut off by the pulled cable" grep -q "unplugged in the upload" "$work/sim.log"
  check "after the restore the board was asked its task state (01/51) before the second upload" test "${a% *}" = 1
  check "no task stop (02/21 1, 1) between the restore and the second upload" test "${a#* }" = 0
  check_kept "$work/state" "typed before the cable was pulled" "$work/project.kbx" "the board"
  check "board B was asked its task state (01/51) after its restore, before the upload" test "${b% *}" = 1
  check "no task stop (02/21 1, 1) went to board B" test "${b#* }" = 0
  check "board B's files were not read (03/11) before the upload" \
    bash -c '! sed "/ RX 05\/51 /q" "$0" | grep -q " RX 03/11 "' "$work/sim-b.log"
  check_kept "$work/state-b" "Board B from its backup" "$work/road/board-b.kbx" "board B"
}
