# The settings road's board unplugs itself at the last clock request (25
# requests before it: identifying 14, then the road's settings reads, write
# and clock requests) and comes back 1.5 s later.
road_sim=(--unplug-after 25 --replug-ms 1500)
road_check() {
  local block=$work/state/settings.bin out
  out=$("$packer" settings-file "$block" 2>&1)
  check "the board stored a sound settings block" grep -q "every CRC valid" <<<"$out"
  check "the stored block holds the typed address" grep -qx "SETTING ipv4-address 192.168.0.77" <<<"$out"
  check "the stored block holds the typed SSID" grep -qx "SETTING ssid ZarvoNetX9" <<<"$out"
  local options
  options=$(sed -n 's/^SETTING wlan-options //p' <<<"$out")
  check "the stored block holds 802.1X EAP TLS" test "$(( (0x${options:-0} >> 3) & 0xF ))" = 1
  check "the stored block keeps the board's name" grep -qx "SETTING firmware ZX1001" <<<"$out"
  check "the board's clock was set to today's date" grep -q "set date $(date +%Y%m%d)" "$work/sim.log"
  [ "$rc" = 0 ] || echo "$out"
}
