# A board that refuses the restart into its boot loader (05/23).
road_sim=(--refuse 0523=16)
road_prepare() {
  "$packer" fwimage "$work/road/firmware.kbx" 65536 ZX1001 >/dev/null
}
road_check() {
  check "the board never left its script firmware" bash -c '! grep -q "RX isp" "$0/sim.log"' "$work"
}
