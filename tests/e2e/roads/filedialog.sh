# Keys in the open-file dialog's not-found box (driver/FileDialogRoad.cpp):
# nothing reaches the board; the program ends when its window closes.
road_check() {
  check "nothing was asked of the board" bash -c '! grep -q " RX [0-9][0-9]/" "$0"' "$work/sim.log"
}
