#!/usr/bin/env bash
# Runs one Windows test program of the build under the private Wine prefix: the emulator that
# ctest uses. It runs the program as wine-run.sh does, with two differences:
# - the program writes into a file that is printed when it has ended, so that a Wine process
#   started on its behalf and living on (a service of the session, a desktop) cannot hold the
#   test runner's pipe open after the program is gone;
# - a run is bounded (LW_WINE_TEST_SECONDS, 110 s, under ctest's own 120 s). A program still
#   running then is reported, with the state of each of its threads and the prefix's processes,
#   and ended, so that a hang says where it hung instead of only that the time ran out.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
lw_wine_run_start wine-test

limit=${LW_WINE_TEST_SECONDS:-110}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The processes below PID, PID first, one per line.
descendants() {
  local pid=$1 child
  echo "$pid"
  for child in $(ps -o pid= --ppid "$pid" 2>/dev/null); do descendants "$child"; done
}

# What a run that outlived its bound is doing: its processes with each thread's kernel wait,
# and the other processes of the prefix (the session's services and desktop).
report() {
  local runner=$1 pid task
  echo "wine-test: $2 still runs after ${limit} s; it is ended. Its processes and threads:"
  for pid in $(descendants "$runner"); do
    ps -o pid=,ppid=,stat=,etime=,args= -p "$pid" 2>/dev/null | sed 's/^/  /'
    for task in /proc/"$pid"/task/*; do
      [ -d "$task" ] || continue
      echo "    thread ${task##*/}: $(cut -d' ' -f3 "$task/stat" 2>/dev/null) waits in $(cat "$task/wchan" 2>/dev/null)"
    done
  done
  echo "wine-test: the prefix's processes:"
  for pid in $(ps -eo pid=); do
    if tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      ps -o pid=,ppid=,stat=,etime=,args= -p "$pid" 2>/dev/null | sed 's/^/  /'
    fi
  done
}

started=$(date +%s%N)
(lw_wine_pl "$@" </dev/null >"$work/output" 2>&1) &
runner=$!
# The watchdog: its sleep is ended with it, and nothing of it holds the runner's pipe.
(
  trap 'kill "$sleeper" 2>/dev/null; exit 0' TERM
  sleep "$limit" &
  sleeper=$!
  wait "$sleeper"
  report "$runner" "$1" >"$work/report"
  for pid in $(descendants "$runner"); do kill -9 "$pid" 2>/dev/null; done
) </dev/null >/dev/null 2>&1 &
watchdog=$!
status=0
wait "$runner" || status=$?
for pid in $(descendants "$watchdog"); do kill "$pid" 2>/dev/null; done
wait "$watchdog" 2>/dev/null
cat "$work/output"
if [ -s "$work/report" ]; then
  cat "$work/report" >&2
  exit 124
fi
lw_wine_run_failure wine-test "$1" "$status" "$started"
exit "$status"
