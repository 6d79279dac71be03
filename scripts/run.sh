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
# Every program of the demo prefix runs in one virtual desktop with a taskbar and the tray, so
# that a dialer started from another terminal shares the program's desktop (and its hook). The
# session is started again once, when the setting is new.
if ! grep -q '^"Default"="1024x768"' "$WINEPREFIX/user.reg" 2>/dev/null; then
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /t REG_SZ /d Default /f \
    </dev/null >/dev/null 2>&1
  "$WINE64" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /t REG_SZ /d 1024x768 \
    /f </dev/null >/dev/null 2>&1
  lw_wine_stop
  lw_wine_start
fi
"$root/scripts/build.sh" win64
# The program's dial-up calls reach the simulated line (tools/linesim/README.md).
lw_linesim_install

program="$root/build/win64/bin/larkwatch.exe"
bin=$(dirname "$program")
# A demo configuration on the first start of the demo prefix: dangerous numbers are asked about
# with a countdown, and the line has a provider's entry to dial. (Clear it for the program's own
# first-run question: scripts/wine-run.sh build/win64/bin/lwconfig.exe --clear.)
verify=$("$root/scripts/wine-run.sh" "$bin/lwconfig.exe" --dir "$bin" --verify 2>/dev/null || true)
if [[ "$verify" == *first-run-question=1* ]]; then
  echo "run: first start in this prefix: writing the demo configuration"
  "$root/scripts/wine-run.sh" "$bin/lwconfig.exe" --dir "$bin" --danger '0700*' \
    --danger '0300*' --danger '00*' --set PDAsk=0 --set DangerAsk=1 --set DangerAskDiscAfter=1 \
    --set AskDiscAfterTime=20 --set DialDefault=1 --set DefaultEntry=Dom --set UseAcceleration=0 \
    >/dev/null
  "$root/scripts/wine-run.sh" "$bin/linectl.exe" add Dom --number 7654321 --area 22 \
    --country 48 --user jan --password tajne >/dev/null
fi
cd "$bin"
echo "run: starting $program (end it with:" \
  "LW_WINEPREFIX=$WINEPREFIX scripts/wine-run.sh $program --stop)"
lw_wine_pl "$program"
