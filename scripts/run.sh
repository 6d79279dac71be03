#!/usr/bin/env bash
# Installs what is missing, builds the Windows x64 program and starts it under Wine, in a
# virtual desktop with a taskbar, on this machine's display (or on a private Xvfb display
# when there is none). On Windows, build with MSYS2 and start larkwatch.exe itself.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
lw_wine_prepare
"$root/scripts/build.sh" win64

program="$root/build/win64/larkwatch.exe"
if [ ! -f "$program" ]; then
  # The resident program is not in this build yet: show what the core does, its tests.
  echo "run: larkwatch.exe is not built yet; running the core's tests under Wine instead"
  trap lw_wine_stop EXIT
  "$WINE64" "$root/build/win64/tests/lw_core_tests.exe" --gtest_brief=1
  exit 0
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no display; starting a private Xvfb (screenshots: DISPLAY=$((${LW_DISPLAY:-77})) import -window root shot.png)"
  Xvfb ":${LW_DISPLAY:-77}" -screen 0 1024x768x24 >/dev/null 2>&1 &
  export DISPLAY=":${LW_DISPLAY:-77}"
fi
cd "$(dirname "$program")"
exec "$WINE64" explorer /desktop=LarkWatch,1024x768 "$program"
