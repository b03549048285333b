# Change firmware from the file list (driver/ChangeFirmwareRoad.cpp): the
# board's files hold a firmware file fw1.kbx, and the board is told to start it.
road_prepare() {
  rm -rf "$work/road/project" && cp -r "$ROOT/examples" "$work/road/project" &&
    "$packer" fwimage "$work/road/project/fw1.kbx" 4096 ZX1001 >/dev/null &&
    "$packer" pack "$work/road/project" "$work/project.kbx" >/dev/null
}
road_check() {
  check "the board was asked to start fw1.kbx (05/60)" grep -q "firmware file: fw1.kbx" "$work/sim.log"
  check "05/60 was sent once" test "$(grep -c 'firmware file: ' "$work/sim.log")" = 1
}
