# The watch road: the demo's board as it is (its debugger knows $i, $n, $big,
# $pi, $ok, $off, $s, $long, $a[1][2] and $m[10][2]); afterwards its log must
# show the pause and the long string read in windows.
road_check() {
  check "the board was paused (06/11)" grep -q "RX .*06/11" "$work/sim.log"
  check "the long string was read through 03/50" grep -q "RX .*03/50" "$work/sim.log"
}
