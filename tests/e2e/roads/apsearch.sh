# The access-point search (driver/ApSearchRoad.cpp) on the default board.
road_check() {
  check "the board was asked to scan (05/30)" grep -q "RX .*05/30" "$work/sim.log"
  check "the settings block was not written back" bash -c '! grep -q "RX .*04/21" "$0"' "$work/sim.log"
}
