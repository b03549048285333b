#!/usr/bin/env bash
# run_linkcheck.sh BOARDSIM LINKCHECK EXPECT EXPECT_FAIL [--wine EXE] [--gen N] [--compare A B]
#                  [--settings-file NAME] [--fw SIZE[:NAME[:broken]]] --sim SIMARGS... --check CHECKARGS...
# Starts the simulator on a fresh link path, runs linkcheck against it and
# checks its exit status and output (EXPECT: extended regex that must match;
# with EXPECT_FAIL linkcheck must fail and the output match that instead).
# @TMP@ in any argument is a scratch folder; --gen N fills @TMP@/gen with N
# random files (some in folders) and packs them into @TMP@/set.kbx first;
# --compare A B checks afterwards that two folders hold the same files;
# --settings-file NAME writes @TMP@/settings.bin, the simulator's settings
# block with that firmware name; --fw writes a firmware image
# @TMP@/fw/firmware.bin. With --wine EXE the Windows build of linkcheck runs
# under Wine instead, its COM port a dosdevices link to the simulator's
# pseudo-terminal (the Win32 serial port end to end); exit 77 (skipped)
# without the Windows build or Wine.
set -u
sim=$1 check=$2 expect=$3 expect_fail=$4
shift 4
simargs=() checkargs=() into=none gen=0 compare=() settings= fw= wine=
while [ $# -gt 0 ]; do
  case "$1" in
    --wine) [ $into = none ] && { wine=$2; shift 2; continue; } ;;
    --gen) [ $into = none ] && { gen=$2; shift 2; continue; } ;;
    --compare) [ $into = none ] && { compare=("$2" "$3"); shift 3; continue; } ;;
    --settings-file) [ $into = none ] && { settings=$2; shift 2; continue; } ;;
    --fw) [ $into = none ] && { fw=$2; shift 2; continue; } ;;
  esac
  case "$1" in
    --sim) into=sim ;;
    --check) into=check ;;
    *) if [ $into = sim ]; then simargs+=("$1"); else checkargs+=("$1"); fi ;;
  esac
  shift
done
if [ -n "$wine" ]; then
  [ -f "$wine" ] || { echo "no Windows build of linkcheck: skipped"; exit 77; }
  command -v wine >/dev/null && command -v xvfb-run >/dev/null || { echo "no Wine: skipped"; exit 77; }
  export WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX=${WINEPREFIX:-$(cd "$(dirname "$wine")/../.." && pwd)/wineprefix}
fi
dir=$(mktemp -d) simpid= com=
cleanup() {
  [ -n "$com" ] && rm -f "$WINEPREFIX/dosdevices/$com"
  kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; rm -rf "$dir"
}
trap cleanup EXIT
compare=("${compare[@]//@TMP@/$dir}")
if [ "$gen" -gt 0 ]; then
  mkdir -p "$dir/gen/lib" "$dir/gen/www"
  for i in $(seq 1 "$gen"); do
    case $((i % 3)) in 0) sub=lib/ ;; 1) sub=www/ ;; *) sub= ;; esac
    head -c $(( (i * 7919) % 5000 + 1 )) /dev/urandom >"$dir/gen/${sub}f$i.php"
  done
  "$check" pack "$dir/gen" "$dir/set.kbx" >/dev/null || { echo "pack failed"; exit 1; }
fi
if [ -n "$settings" ]; then
  "$sim" --firmware-name "$settings" --dump-settings "$dir/settings.bin" || { echo "settings file failed"; exit 1; }
fi
if [ -n "$fw" ]; then
  IFS=: read -r size name broken <<<"$fw"
  mkdir -p "$dir/fw"
  "$check" fwimage "$dir/fw/firmware.bin" "$size" "${name:-ZX1001}" $broken >/dev/null ||
    { echo "fwimage failed"; exit 1; }
fi
# Scenario arguments may name files in the scratch folder.
tmp=$dir
[ -z "$wine" ] || tmp="Z:$(echo "$dir" | tr / '\\')"
checkargs=("${checkargs[@]//@TMP@/$tmp}")
simargs=("${simargs[@]//@TMP@/$dir}")
mkfifo "$dir/ready"
"$sim" --link "$dir/port" --log "$dir/sim.log" "${simargs[@]}" >"$dir/ready" 2>"$dir/sim.err" &
simpid=$!
if ! read -r -t 10 line <"$dir/ready" || [[ "$line" != READY* ]]; then
  echo "simulator did not start: $line"; cat "$dir/sim.err"; exit 1
fi
if [ -z "$wine" ]; then
  out=$("$check" --port "$dir/port" "${checkargs[@]}" 2>&1)
  rc=$?
else
  (
    flock 9
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
      mkdir -p "$WINEPREFIX"; xvfb-run -a wineboot -i >/dev/null 2>&1; wineserver -w 2>/dev/null
    fi
  ) 9>"$(dirname "$WINEPREFIX")/.wineprefix.lock"
  # The first free COM number of 40..79 (ln fails when it is taken). It leads
  # to the simulator's link, which follows the board when it replugs.
  for n in $(seq 40 79); do
    if ln -s "$dir/port" "$WINEPREFIX/dosdevices/com$n" 2>/dev/null; then com=com$n; break; fi
  done
  [ -n "$com" ] || { echo "no free COM port in the Wine prefix"; exit 1; }
  out=$(cd "$dir" && timeout 120 xvfb-run -a wine "$wine" --port "${com^^}" "${checkargs[@]}" 2>&1 | tr -d '\r')
  grep -q '^RESULT: ok' <<<"$out"
  rc=$?
fi
echo "$out" | grep -v '^ENTRY'
# On failure the board's side of the story.
fail() { echo "$1"; echo "--- simulator log (tail)"; tail -n 40 "$dir/sim.log"; exit 1; }
if [ -n "$expect_fail" ]; then
  [ $rc -ne 0 ] || fail "linkcheck should have failed"
  grep -Eq -- "$expect_fail" <<<"$out" || fail "missing: $expect_fail"
  exit 0
fi
[ $rc -eq 0 ] || fail "linkcheck failed ($rc)"
if [ ${#compare[@]} -eq 2 ]; then
  diff -r "${compare[0]}" "${compare[1]}" || { echo "folders differ"; exit 1; }
fi
if [ -n "$expect" ]; then
  grep -Eq -- "$expect" <<<"$out" || fail "missing: $expect"
fi
exit 0
