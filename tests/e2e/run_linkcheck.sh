#!/usr/bin/env bash
# run_linkcheck.sh BOARDSIM LINKCHECK EXPECT EXPECT_FAIL --sim SIMARGS... --check CHECKARGS...
# Starts the simulator on a fresh link path, runs linkcheck against it and
# checks its exit status and output (EXPECT: extended regex that must match;
# with EXPECT_FAIL linkcheck must fail and the output match that instead).
set -u
sim=$1 check=$2 expect=$3 expect_fail=$4
shift 4
simargs=() checkargs=() into=none
for a in "$@"; do
  case "$a" in
    --sim) into=sim ;;
    --check) into=check ;;
    *) if [ $into = sim ]; then simargs+=("$a"); else checkargs+=("$a"); fi ;;
  esac
done
dir=$(mktemp -d)
trap 'kill "$simpid" 2>/dev/null; wait "$simpid" 2>/dev/null; rm -rf "$dir"' EXIT
# Scenario arguments may name files in the scratch folder.
checkargs=("${checkargs[@]//@TMP@/$dir}")
simargs=("${simargs[@]//@TMP@/$dir}")
mkfifo "$dir/ready"
"$sim" --link "$dir/port" "${simargs[@]}" >"$dir/ready" 2>"$dir/sim.err" &
simpid=$!
if ! read -r -t 10 line <"$dir/ready" || [[ "$line" != READY* ]]; then
  echo "simulator did not start: $line"; cat "$dir/sim.err"; exit 1
fi
out=$("$check" --port "$dir/port" "${checkargs[@]}" 2>&1)
rc=$?
echo "$out"
if [ -n "$expect_fail" ]; then
  [ $rc -ne 0 ] || { echo "linkcheck should have failed"; exit 1; }
  grep -Eq -- "$expect_fail" <<<"$out" || { echo "missing: $expect_fail"; exit 1; }
  exit 0
fi
[ $rc -eq 0 ] || { echo "linkcheck failed ($rc)"; exit 1; }
if [ -n "$expect" ]; then
  grep -Eq -- "$expect" <<<"$out" || { echo "missing: $expect"; exit 1; }
fi
exit 0
