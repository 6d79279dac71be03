#!/usr/bin/env bash
# Measures, in one run under Wine, the round trip of a non-interactive decision through the
# program's real queue against a bare pipe echo on the same machine, and the CPU time the
# running program takes over 60 s with nothing happening. Usage: scripts/bench-queue.sh [N]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64 >/dev/null
export LW_SCENARIO=bench_queue
# shellcheck source=../tests/e2e/lib.sh
source "$root/tests/e2e/lib.sh"
lw_e2e_setup
lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_start

echo "bench: round trips (median of ${1:-500})"
lw_driver pipe-bench "${1:-500}" --timeout 20000

# The program's own process: the Wine process whose command line names larkwatch.exe.
pid=$(pgrep -f 'larkwatch\.exe' | while read -r p; do
  grep -qxF "WINEPREFIX=$WINEPREFIX" "/proc/$p/environ" 2>/dev/null && echo "$p"
done | sed -n 1p)
[ -n "$pid" ] || lw_fail "larkwatch.exe's process not found"
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
sleep 15  # the notices of the bench's dials end their timers first
before=$(ticks)
sleep 60
after=$(ticks)
echo "bench: idle CPU over 60 s: $(((after - before) * 1000 / $(getconf CLK_TCK))) ms"
lw_stop
