#!/usr/bin/env bash
# Runs one Windows program of the build under the private Wine prefix (the test emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.lw-ready" ]; then
  echo "wine-run: the prefix $WINEPREFIX is not prepared; run scripts/test.sh" >&2
  exit 125
fi
lw_polish_locale
lw_wine_start
started=$(date +%s%N)
status=0
lw_wine_pl "$@" || status=$?
# Wine's own start-up errors are silenced (WINEDEBUG=-all): a failure says at least how it ended
# and how soon, so that a program that never ran can be told from one that failed.
if [ "$status" != 0 ]; then
  echo "wine-run: $1 ended with status $status after $((($(date +%s%N) - started) / 1000000)) ms" >&2
fi
exit "$status"
