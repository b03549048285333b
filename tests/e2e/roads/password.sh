# The password road (driver/PasswordRoad.cpp) on the default board, without a password.
# The cancelled login: a session whose challenge (05/41) got no response
# (05/42) heard nothing after the MCU id request that opened the prompt,
# and the program closed the port.
cancel_closed_the_port() {
  awk '
    function done() { if (chal && !answered && closed && last ~ / RX 01\/23 /) found = 1 }
    /session start/ { done(); chal = answered = closed = 0; last = "" }
    / RX 05\/41 / { chal = 1 }
    / RX 05\/42 / { answered = 1 }
    / RX [0-9a-f][0-9a-f]\// { last = $0 }
    /port closed by the program/ { closed = 1 }
    END { done(); exit !found }' "$work/sim.log"
}
road_check() {
  check "the board stored the new password's key" grep -q "password key stored" "$work/sim.log"
  check "the board refused the wrong password" grep -q "login refused" "$work/sim.log"
  check "the board accepted the right password" grep -q "login accepted" "$work/sim.log"
  check "the cancelled login left the board after the prompt" cancel_closed_the_port
  check "the board's password was deleted" grep -q "password deleted" "$work/sim.log"
}
