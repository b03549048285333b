# The access-point search from the Settings dialog's wireless page: the
# default board, whose scan finds three networks.
road_check() {
  check "the board was asked to scan (05/30)" grep -q "RX .*05/30" "$work/sim.log"
  check "the settings block was not written back" bash -c '! grep -q "RX .*04/21" "$0"' "$work/sim.log"
}
