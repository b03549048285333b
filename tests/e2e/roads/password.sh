# The password road (driver/PasswordRoad.cpp) on the default board, without a password.
road_check() {
  check "the board stored the new password's key" grep -q "password key stored" "$work/sim.log"
  check "the board refused the wrong password" grep -q "login refused" "$work/sim.log"
  check "the board accepted the right password" grep -q "login accepted" "$work/sim.log"
  check "the board's password was deleted" grep -q "password deleted" "$work/sim.log"
}
