#!/usr/bin/env bash
# run_wine_linkcheck.sh BOARDSIM NATIVE_LINKCHECK WIN_LINKCHECK EXPECT [--gen N] [--settings-file NAME]
#                       [--fw SIZE] --sim SIMARGS... --check CHECKARGS...
# The Windows build of linkcheck under Wine, its COM port a dosdevices link to
# the simulator's pseudo-terminal: the Win32 serial port and its event thread
# end to end. Exit 77 (skipped) when the Windows build is not there.
set -u
sim=$1 native=$2 exe=$3 expect=$4
shift 4
[ -f "$exe" ] || { echo "no Windows build of linkcheck: skipped"; exit 77; }
command -v wine >/dev/null && command -v xvfb-run >/dev/null || { echo "no Wine: skipped"; exit 77; }
export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$exe")/../.." && pwd)/wineprefix}
simargs=() checkargs=() into=none gen=0 settings= fw=
while [ $# -gt 0 ]; do
  case "$1" in
    --gen) if [ $into = none ]; then gen=$2; shift 2; continue; fi ;;
    --settings-file) if [ $into = none ]; then settings=$2; shift 2; continue; fi ;;
    --fw) if [ $into = none ]; then fw=$2; shift 2; continue; fi ;;
    --sim) into=sim; shift; continue ;;
    --check) into=check; shift; continue ;;
  esac
  if [ $into = sim ]; then simargs+=("$1"); else checkargs+=("$1"); fi
  shift
done
dir=$(mktemp -d)
com=
cleanup() {
  [ -n "$com" ] && rm -f "$WINEPREFIX/dosdevices/$com"
  kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; rm -rf "$dir"
}
simpid=
trap cleanup EXIT
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"; xvfb-run -a wineboot -i >/dev/null 2>&1; wineserver -w 2>/dev/null
  fi
) 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
if [ "$gen" -gt 0 ]; then
  mkdir -p "$dir/gen/lib"
  for i in $(seq 1 "$gen"); do
    head -c $(( (i * 7919) % 5000 + 1 )) /dev/urandom >"$dir/gen/$([ $((i % 2)) = 0 ] && echo lib/)f$i.php"
  done
  "$native" pack "$dir/gen" "$dir/set.kbx" >/dev/null || { echo "pack failed"; exit 1; }
fi
if [ -n "$settings" ]; then
  "$sim" --firmware-name "$settings" --dump-settings "$dir/settings.bin" || { echo "settings file failed"; exit 1; }
fi
if [ -n "$fw" ]; then
  mkdir -p "$dir/fw"
  "$native" fwimage "$dir/fw/firmware.bin" "$fw" ZX1001 >/dev/null || { echo "fwimage failed"; exit 1; }
fi
winpath="Z:$(echo "$dir" | tr / '\\')"
checkargs=("${checkargs[@]//@TMP@/$winpath}")
mkfifo "$dir/ready"
"$sim" --link "$dir/port" --log "$dir/sim.log" "${simargs[@]}" >"$dir/ready" 2>"$dir/sim.err" &
simpid=$!
read -r -t 10 line <"$dir/ready" && [[ "$line" == READY* ]] || { echo "simulator did not start"; exit 1; }
# The first free COM number of 40..79 (ln fails when it is taken). It leads
# to the simulator's link, which follows the board when it replugs.
for n in $(seq 40 79); do
  if ln -s "$dir/port" "$WINEPREFIX/dosdevices/com$n" 2>/dev/null; then com=com$n; break; fi
done
[ -n "$com" ] || { echo "no free COM port in the Wine prefix"; exit 1; }
out=$(cd "$dir" && timeout 120 xvfb-run -a wine "$exe" --port "${com^^}" "${checkargs[@]}" 2>&1 | tr -d '\r')
echo "$out" | grep -v '^ENTRY'
grep -q '^RESULT: ok' <<<"$out" || { echo "--- simulator log (tail)"; tail -n 30 "$dir/sim.log"; exit 1; }
[ -z "$expect" ] || grep -Eq -- "$expect" <<<"$out" || { echo "missing: $expect"; exit 1; }
exit 0
