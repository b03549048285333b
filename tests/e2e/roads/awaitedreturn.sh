# The awaited-return road (driver/AwaitedReturnRoad.cpp): after Function >
# Reboot the board's port comes back, but the board answers nothing, not even
# the sync byte, until the program closes the port and opens it again.
road_sim=(--mute-after-reboot)
# From the restart to the board's next answer it heard sync bytes, nothing else.
only_syncs_while_mute() {
  awk '
    /the restart leaves the board mute/ { mute = 1 }
    /the port is opened again: the board answers/ { mute = 0; ended = 1 }
    mute && / RX sync / { syncs++; next }
    mute && / RX / { print "    heard while mute:" $0; others++ }
    END { exit !(ended && syncs > 0 && !others) }' "$work/sim.log"
}
road_check() {
  check "the board restarted and came back mute" grep -q "the restart leaves the board mute" "$work/sim.log"
  check "while its return was awaited the board heard sync bytes and no request" only_syncs_while_mute
  check "the board was identified after the port was opened again" \
    awk '/the port is opened again/ { again = 1 } again && / TX 01\/33 / { ok = 1 } END { exit !ok }' "$work/sim.log"
}
