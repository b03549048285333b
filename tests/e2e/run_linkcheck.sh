#!/usr/bin/env bash
# run_linkcheck.sh BOARDSIM LINKCHECK EXPECT EXPECT_FAIL [--gen N] [--compare A B]
#                  [--settings-file NAME] [--fw SIZE[:NAME[:broken|cut]]] --sim SIMARGS... --check CHECKARGS...
# Starts the simulator on a fresh link path, runs linkcheck against it and
# checks its exit status and output (EXPECT: extended regex that must match;
# with EXPECT_FAIL linkcheck must fail and the output match that instead).
# @TMP@ in any argument is a scratch folder; --gen N packs N random files
# (some in folders) from @TMP@/gen into @TMP@/set.kbx; --compare A B checks
# two folders hold the same files afterwards; --settings-file NAME writes the
# simulator's settings block with that firmware name to @TMP@/settings.bin;
# --fw writes a firmware image @TMP@/fw/firmware.bin.
set -u
sim=$1 check=$2 expect=$3 expect_fail=$4
shift 4
simargs=() checkargs=() into=none gen=0 compare=() settings= fw=
while [ $# -gt 0 ]; do
  case "$1" in
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
dir=$(mktemp -d) simpid=
cleanup() { kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; rm -rf "$dir"; }
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
checkargs=("${checkargs[@]//@TMP@/$dir}")
simargs=("${simargs[@]//@TMP@/$dir}")
mkfifo "$dir/ready"
"$sim" --link "$dir/port" --log "$dir/sim.log" "${simargs[@]}" >"$dir/ready" 2>"$dir/sim.err" &
simpid=$!
if ! read -r -t 10 line <"$dir/ready" || [[ "$line" != READY* ]]; then
  echo "simulator did not start: $line"; cat "$dir/sim.err"; exit 1
fi
out=$("$check" --port "$dir/port" "${checkargs[@]}" 2>&1)
rc=$?
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
