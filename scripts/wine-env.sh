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
lw_wine_start() {
  if "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
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

# Ends every Wine process of this prefix and waits for the server to go.
lw_wine_stop() {
  "$WINESERVER" -k >/dev/null 2>&1 || true
  "$WINESERVER" -w >/dev/null 2>&1 || true
}
