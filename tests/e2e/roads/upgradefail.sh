# A boot loader that fails the image part way ("305 Flash write error").
road_sim=(--isp-fail-after 20000)
road_prepare() {
  "$packer" fwimage "$work/road/firmware.kbx" 65536 ZX1001 >/dev/null
}
road_check() {
  check "the board flashed nothing" bash -c '[ ! -e "$0/state/firmware.bin" ] && ! grep -q FLASHED "$0/sim.log"' "$work"
}
