# The firmware upgrade (driver/UpgradeRoad.cpp); the board keeps what it flashed in $work/state.
road_prepare() {
  "$packer" fwimage "$work/road/firmware.kbx" 65536 ZX1001 >/dev/null &&
    "$packer" fwimage "$work/road/broken.kbx" 65536 ZX1001 broken >/dev/null
}
road_check() {
  check "the board flashed the chosen file byte for byte" cmp -s "$work/road/firmware.kbx" "$work/state/firmware.bin"
  check "the board jumped to the new firmware" grep -q "jump to the script firmware" "$work/sim.log"
}
