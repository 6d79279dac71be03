#!/usr/bin/env bash
# Runs one Windows program of the build under the private Wine prefix (the test emulator).
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
if [ ! -f "$WINEPREFIX/.lw-ready" ]; then
  echo "wine-run: the prefix $WINEPREFIX is not prepared; run scripts/test.sh" >&2
  exit 125
fi
lw_polish_locale
lw_wine_start
lw_wine_pl "$@"
