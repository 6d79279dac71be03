#!/usr/bin/env bash
# Runs one Windows program of the build under the private Wine prefix.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
lw_wine_run_start wine-run
started=$(date +%s%N)
status=0
lw_wine_pl "$@" || status=$?
lw_wine_run_failure wine-run "$1" "$status" "$started"
exit "$status"
