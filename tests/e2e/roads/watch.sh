# The watch road (driver/WatchRoad.cpp) on the demo's board as it is.
road_check() {
  check "the board was paused (06/11)" grep -q "RX .*06/11" "$work/sim.log"
  check "the long string was read through 03/50" grep -q "RX .*03/50" "$work/sim.log"
}
