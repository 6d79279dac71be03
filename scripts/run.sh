#!/usr/bin/env bash
# Installs what is missing, builds the Windows x64 program and starts it under Wine, in a
# virtual desktop with a taskbar, on this machine's display (or on a private Xvfb display
# when there is none). On Windows, build with MSYS2 and start larkwatch.exe itself.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
# The demo's own prefix: it gets the simulated phone line, which the unit tests' prefix must
# not have (their hook tests compare with Wine's own rasapi32).
export LW_WINEPREFIX=${LW_WINEPREFIX:-$root/build/wineprefix-demo}
source "$root/scripts/wine-env.sh"
if [ -z "${DISPLAY:-}" ]; then
  lw_display_start
  echo "run: no display; LarkWatch runs on the private display $DISPLAY" \
    "(a screenshot: import -display $DISPLAY -window root shot.png)"
fi
lw_wine_prepare
"$root/scripts/build.sh" win64
# The program's dial-up calls reach the simulated line (tools/linesim/README.md).
lw_linesim_install

program="$root/build/win64/bin/larkwatch.exe"
cd "$(dirname "$program")"
echo "run: starting $program (end it with:" \
  "LW_WINEPREFIX=$WINEPREFIX scripts/wine-run.sh $program --stop)"
lw_wine_pl explorer /desktop=LarkWatch,1024x768 "$program"
