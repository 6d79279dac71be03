# Sourced by the build, test and run scripts: a private, headless, quiet Wine session.
# The prefix lives inside the build folder, so nothing of the user's own Wine is touched.

LW_ROOT=${LW_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${LW_WINEPREFIX:-$LW_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=-all
export WINE64=/usr/lib/wine/wine64
export WINESERVER=/usr/lib/wine/wineserver
# Windows programs run as on a Polish system (ANSI code page 1250, Polish date format), the
# system the program is made for. The locale is compiled into the build folder and given to
# Wine alone, so the shell and its tools keep their own.
export LW_LOCPATH="$LW_ROOT/build/locale"

lw_polish_locale() {
  if [ ! -d "$LW_LOCPATH/pl_PL.UTF-8" ]; then
    mkdir -p "$LW_LOCPATH"
    localedef -i pl_PL -f UTF-8 "$LW_LOCPATH/pl_PL.UTF-8"
  fi
}

# Runs a Wine command in the Polish locale.
lw_wine_pl() {
  env -u LC_ALL -u LC_CTYPE -u LC_TIME -u LC_NUMERIC -u LC_COLLATE -u LC_MONETARY \
    -u LC_MESSAGES LANG=pl_PL.UTF-8 LOCPATH="$LW_LOCPATH" "$WINE64" "$@"
}

# Starts a persistent server with its stdio on /dev/null. A server started by the first Wine
# command of a pipeline would inherit the pipe, and the reader (ctest, $(...)) would block
# until the server exits.
# Cheap when the server already runs: `wineserver -p` then exits at once with status 2.
# The session's boot starts what the Run key names; a run of the program that switched its
# autorun on leaves itself there, and a program started that way would hold the queue that the
# tests create. The value is removed before the boot.
lw_wine_start() {
  if "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
    "$WINE64" reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v LarkWatch /f \
      </dev/null >/dev/null 2>&1 || true
    "$WINE64" wineboot </dev/null >/dev/null 2>&1 || true
  fi
}

# Creates the prefix once and sets what a headless test run needs: no crash dialogs (they hang
# a run without a display), and unmanaged X windows (hiding a window otherwise stalls ~2 s under
# Xvfb without a window manager).
lw_wine_prepare() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/.lw-ready" ]; then
    echo "wine: creating the private prefix $WINEPREFIX"
    rm -rf "$WINEPREFIX"
    WINEDLLOVERRIDES="mscoree,mshtml=" "$WINE64" wineboot -i </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
      </dev/null >/dev/null 2>&1
    "$WINE64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
      </dev/null >/dev/null 2>&1
    # The first session ends by itself; waiting for it writes the registry to the prefix.
    "$WINESERVER" -w
    touch "$WINEPREFIX/.lw-ready"
  fi
  lw_polish_locale
  lw_wine_start
}

# Installs the simulated phone line into the prefix: linesim.dll of the win64 build (or the
# given file) as system32\rasapi32.dll, preferred to Wine's own stub by a DLL override for every
# program. Works on $WINEPREFIX only, never on a real Windows system. Cheap when nothing changed;
# the copy is moved into place, so that programs that have the old one loaded keep running.
lw_linesim_install() {
  local dll=${1:-$LW_ROOT/build/win64/bin/linesim.dll}
  local target="$WINEPREFIX/drive_c/windows/system32/rasapi32.dll"
  if [ ! -f "$dll" ]; then
    echo "linesim: $dll is missing: build the win64 preset first" >&2
    return 1
  fi
  if ! cmp -s "$dll" "$target"; then
    cp "$dll" "$target.linesim" && mv -f "$target.linesim" "$target" || return 1
  fi
  # The server writes the registry to user.reg a while after a change; until then the value is
  # simply set again.
  if ! grep -qF '"rasapi32"="native,builtin"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$WINE64" reg add 'HKCU\Software\Wine\DllOverrides' /v rasapi32 /t REG_SZ /d native,builtin \
      /f </dev/null >/dev/null 2>&1 || return 1
  fi
}

# The start of a run of one Windows program by NAME (wine-run.sh, wine-test.sh): a prepared
# prefix, the Polish locale and a running session. Without a prepared prefix it exits with 125.
lw_wine_run_start() {
  if [ ! -f "$WINEPREFIX/.lw-ready" ]; then
    echo "$1: the prefix $WINEPREFIX is not prepared; run scripts/test.sh" >&2
    exit 125
  fi
  lw_polish_locale
  lw_wine_start
}

# The end of such a run: Wine's own start-up errors are silenced (WINEDEBUG=-all), so a failure
# says at least how it ended and how soon, so that a program that never ran can be told from one
# that failed. Arguments: NAME PROGRAM STATUS STARTED (date +%s%N).
lw_wine_run_failure() {
  if [ "$3" != 0 ]; then
    echo "$1: $2 ended with status $3 after $((($(date +%s%N) - $4) / 1000000)) ms" >&2
  fi
}

# Ends every Wine process of this prefix and waits for the server to go.
lw_wine_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
}

# Starts a private Xvfb on a free display and exports DISPLAY, unless a display is given.
# Windows, the tray icon and screenshots need one; LW_XVFB_PID is set when one was started.
lw_display_start() {
  [ -z "${DISPLAY:-}" ] || return 0
  local number_file
  number_file=$(mktemp)
  env -u WINEPREFIX Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" \
    </dev/null >/dev/null 2>&1 &
  LW_XVFB_PID=$!
  local tenths=100
  until [ -s "$number_file" ]; do
    if ! kill -0 "$LW_XVFB_PID" 2>/dev/null || [ "$tenths" -le 0 ]; then
      echo "Xvfb did not start" >&2
      rm -f "$number_file"
      return 1
    fi
    tenths=$((tenths - 1))
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$number_file")"
  export DISPLAY
  rm -f "$number_file"
}

lw_display_stop() {
  if [ -n "${LW_XVFB_PID:-}" ]; then
    kill "$LW_XVFB_PID" 2>/dev/null || true
    wait "$LW_XVFB_PID" 2>/dev/null || true
    LW_XVFB_PID=""
  fi
}
