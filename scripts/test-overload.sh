#!/usr/bin/env bash
# Every test on an overloaded machine: stress-ng keeps twice as many CPU workers busy as there
# are cores, and now and then one running test process (a test program, veltrin-cli, the
# program or the simulator) is stopped for 300 ms and let go on, as a loaded or suspended machine
# holds a program up. The suite must pass all the same: where a test's short time-outs cannot
# take a hold-up, the program's retries must.
#
#   scripts/test-overload.sh [ROUNDS]      # default 1; prints each round's result, fails on any
#
# Not part of .ci/run (it takes several times as long as the ordinary run); run it after a change
# of the link, the simulator or a test's timing.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
veltrin_install_packages stress-ng procps
veltrin_build "$root"
rounds="${1:-1}"
cores="$(nproc)"
build="$root/build"

# The processes a hold-up may hit: whatever of this build is running at that moment.
pattern="^$build/(tests/[a-z]+/)?(veltrin_tests|veltrin_gui_tests|veltrin_comport_tests|veltrin-cli|veltrin-sim|veltrin)( |\$)"
hold_ups() {
  while :; do
    sleep "$(awk -v r="$RANDOM" 'BEGIN { printf "%.2f", 0.5 + r % 250 / 100 }')"
    local pid
    pid="$(pgrep -f "$pattern" | shuf -n 1 || true)"
    [ -n "$pid" ] || continue
    kill -STOP "$pid" 2>/dev/null || continue
    sleep 0.3
    kill -CONT "$pid" 2>/dev/null || true
    echo "held up: $(ps -o args= -p "$pid" 2>/dev/null | cut -c1-60 || echo "$pid")" >>"$build/overload-holdups.log"
  done
}

: >"$build/overload-holdups.log"
stress-ng --cpu "$((2 * cores))" --quiet &
stress=$!
hold_ups &
holder=$!
cleanup() {
  kill "$holder" "$stress" 2>/dev/null || true
  wait "$holder" "$stress" 2>/dev/null || true
  # A process stopped when the holder was ended goes on.
  pkill -CONT -f "$pattern" 2>/dev/null || true
}
trap cleanup EXIT

failed=0
cd "$build"
for round in $(seq 1 "$rounds"); do
  started=$SECONDS
  status=0
  QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$cores" --timeout 600 >"overload-round-$round.log" 2>&1 || status=$?
  echo "round $round: status $status in $((SECONDS - started)) s; $(grep -E 'tests passed|tests failed' "overload-round-$round.log" | tail -1)"
  grep -E '^\s+[0-9]+ - .*\((Failed|Timeout|SEGFAULT|Subprocess aborted)\)' "overload-round-$round.log" || true
  [ "$status" = 0 ] || failed=1
done
echo "hold-ups: $(wc -l <"$build/overload-holdups.log") (build/overload-holdups.log)"
exit "$failed"
