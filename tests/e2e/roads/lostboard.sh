# The lost-board road (driver/LostBoardRoad.cpp): the board's cable is pulled
# while Settings is open and no device notice follows (as under Wine on every
# unplug); it comes back 1.5 s later on a new pseudo-terminal.
road_sim=(--replug-ms 1500)
road_check() {
  check "the board was identified again after its return" test "$(grep -c 'session start' "$work/sim.log")" -ge 2
}
