# The watch road (driver/WatchRoad.cpp) on the demo's board as it is.
# After the last step in (06/50, F11 at the end of the road) the board saw,
# in this order: one stop (02/21 with 1, 1) and one upload (05/51, then
# 04/10); the No before them sent nothing.
stop_then_upload() {
  awk '
    / RX 06\/50 / { n = NR; stop = prepare = write = prepares = 0 }
    n && / RX 02\/21 .*\[int32 1, int32 1\]/ && !stop { stop = NR }
    n && / RX 05\/51 / { prepares++; if (!prepare) prepare = NR }
    n && / RX 04\/10 / && !write { write = NR }
    END { exit !(n && stop && prepare && write && stop < prepare && prepare < write && prepares == 1) }' "$work/sim.log"
}
road_check() {
  check "the board was paused (06/11)" grep -q "RX .*06/11" "$work/sim.log"
  check "the long string was read through 03/50" grep -q "RX .*03/50" "$work/sim.log"
  check "the paused task was stopped before the upload, once" stop_then_upload
}
