# shellcheck shell=bash source-path=SCRIPTDIR
# The library of the end-to-end scenarios. A scenario is tests/e2e/NAME.sh: it sources this
# file, calls lw_e2e_setup, drives the program, and exits 0 on success. Whatever way it ends,
# the EXIT trap set here ends every Wine process of the scenario's prefix and a private X
# server, and fails the scenario if a Wine process of the prefix is left.
#
# The world of a scenario:
# - its own Wine prefix, build/wineprefix-e2e (LW_E2E_WINEPREFIX overrides), created once with
#   scripts/wine-env.sh's lw_wine_prepare; Windows programs run in the Polish locale
#   (lw_wine_pl), as on the system the program is made for;
# - an X display: $DISPLAY when the caller has one (the test command's Xvfb), else a private
#   Xvfb started here and stopped at the end;
# - a fresh program folder C:\lwtest\NAME ($LW_WIN_DIR; $LW_DIR on the host) holding the
#   program and the test programs copied from build/win64/bin (LW_E2E_BIN overrides);
# - build/e2e-output/NAME/ for what the background programs print, and
#   build/e2e-screenshots/ for lw_screenshot.
#
# Helpers that print (lw_driver, lw_config, ...) are meant for $(...); lw_fail, the assertions
# and lw_start/lw_stop must run in the scenario's own shell, not inside $(...), since they end
# the scenario with exit.

set -euo pipefail

LW_E2E_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
LW_ROOT=$(cd "$LW_E2E_DIR/../.." && pwd)
export LW_WINEPREFIX=${LW_E2E_WINEPREFIX:-$LW_ROOT/build/wineprefix-e2e}
# shellcheck source=../../scripts/wine-env.sh
source "$LW_ROOT/scripts/wine-env.sh"
# The bounded runs below start lw_wine_pl in a child shell.
export -f lw_wine_pl

LW_BIN=${LW_E2E_BIN:-$LW_ROOT/build/win64/bin}
LW_SCENARIO=${LW_SCENARIO:-$(basename "$0" .sh)}
LW_WIN_DIR="C:\\lwtest\\$LW_SCENARIO"
LW_DIR="$WINEPREFIX/drive_c/lwtest/$LW_SCENARIO"
LW_OUT="$LW_ROOT/build/e2e-output/$LW_SCENARIO"
LW_SHOTS="$LW_ROOT/build/e2e-screenshots"
# The files lw_e2e_setup copies into the program folder when the build has them.
LW_E2E_FILES=(larkwatch.exe larkwatch.dll dialer.exe lwdriver.exe lwconfig.exe lwprobe.exe
  linectl.exe English.lng Polski.lng)
# The bound of one foreground Windows command, in seconds (the driver bounds its own waits).
LW_E2E_COMMAND_SECONDS=${LW_E2E_COMMAND_SECONDS:-120}
# The online services of the test build: a closed port on loopback unless a scenario starts a
# service, so that no scenario reaches out to the maker's hosts.
export LARKWATCH_SERVICE=${LARKWATCH_SERVICE:-127.0.0.1:9}

LW_PID=""        # the bash that runs larkwatch.exe, while it runs
LW_EXIT_CODE=""  # larkwatch.exe's exit code, after lw_stop
LW_XVFB_PID=""
declare -A LW_SPAWNED=()
LW_CLEANUPS=()

# --- messages and assertions -------------------------------------------------------------------

lw_step() { echo "e2e[$LW_SCENARIO]: $*"; }

lw_fail() {
  echo "e2e[$LW_SCENARIO]: FAIL: $*" >&2
  exit 1
}

# lw_assert_eq EXPECTED ACTUAL [WHAT]
lw_assert_eq() {
  [ "$1" == "$2" ] || lw_fail "${3:-value}: expected [$1], got [$2]"
}

# lw_assert_contains TEXT PART [WHAT]
lw_assert_contains() {
  [[ "$1" == *"$2"* ]] || lw_fail "${3:-output} does not contain [$2]; it is:"$'\n'"$1"
}

# lw_assert_not_contains TEXT PART [WHAT]
lw_assert_not_contains() {
  [[ "$1" != *"$2"* ]] || lw_fail "${3:-output} contains [$2]; it is:"$'\n'"$1"
}

# lw_assert_status EXPECTED COMMAND...: runs the command and checks its exit code.
lw_assert_status() {
  local expected=$1 status=0
  shift
  "$@" >/dev/null 2>&1 || status=$?
  [ "$status" == "$expected" ] || lw_fail "[$*] exited with $status, expected $expected"
}

# --- paths -------------------------------------------------------------------------------------

# lw_unix_path 'C:\lwtest\x\logs.txt': the file's path on the host.
lw_unix_path() {
  local path=$1
  [[ "$path" =~ ^[A-Za-z]: ]] || {
    echo "lw_unix_path: not a Windows path: $path" >&2
    return 2
  }
  local drive=${path:0:1} rest=${path:2}
  drive=${drive,,}
  rest=${rest//\\//}
  if [ "$drive" == c ]; then
    echo "$WINEPREFIX/drive_c$rest"
  else
    echo "$WINEPREFIX/dosdevices/$drive:$rest"
  fi
}

# --- running Windows programs -----------------------------------------------------------------

# lw_exec PROGRAM ARGS...: runs a program in the foreground from the program folder, in the
# Polish locale, bounded by LW_E2E_COMMAND_SECONDS (exit code 124 when it was stopped).
# PROGRAM is a file of the folder (lwdriver.exe) or a Windows command (reg).
lw_exec() {
  local program=$1
  shift
  [ -f "$LW_DIR/$program" ] && program="$LW_WIN_DIR\\$program"
  (cd "$LW_DIR" && timeout -k 5 "$LW_E2E_COMMAND_SECONDS" \
    bash -c 'lw_wine_pl "$@"' lw_wine_pl "$program" "$@" </dev/null)
}

lw_driver() { lw_exec lwdriver.exe "$@"; }
lw_dialer() { lw_exec dialer.exe "$@"; }
# The simulated line (tools/linesim/README.md).
lw_line() { lw_exec linectl.exe "$@"; }
# lwconfig.exe for the scenario's program folder (--dir is given).
lw_config() { lw_exec lwconfig.exe --dir "$LW_WIN_DIR" "$@"; }

# lw_reg ARGS...: Wine's reg.exe ("lw_reg query 'HKCU\Software\LarkWatch' /v PDAsk"), its
# output without CRs.
lw_reg() {
  local out status=0
  out=$(lw_exec reg "$@" 2>&1) || status=$?
  printf '%s\n' "${out//$'\r'/}"
  return "$status"
}

# lw_spawn NAME PROGRAM ARGS...: starts a program of the folder in the background; its output
# goes to $LW_OUT/NAME.out.
lw_spawn() {
  local name=$1 program=$2
  shift 2
  (cd "$LW_DIR" && exec bash -c 'lw_wine_pl "$@"' lw_wine_pl "$LW_WIN_DIR\\$program" "$@") \
    </dev/null >"$LW_OUT/$name.out" 2>"$LW_OUT/$name.err" &
  LW_SPAWNED[$name]=$!
}

# lw_spawn_output NAME: what the program has printed so far.
lw_spawn_output() { cat "$LW_OUT/$1.out"; }

# lw_wait_pid PID [SECONDS]: waits for a background process to end (20 s by default); returns
# its exit code, or 124 when it still runs.
lw_wait_pid() {
  local pid=$1 tenths=$((${2:-20} * 10))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$tenths" -gt 0 ] || return 124
    tenths=$((tenths - 1))
    sleep 0.1
  done
  local status=0
  wait "$pid" || status=$?
  return "$status"
}

# lw_wait_spawn NAME [SECONDS]: waits for a spawned program to end; returns its exit code.
lw_wait_spawn() {
  local status=0
  lw_wait_pid "${LW_SPAWNED[$1]}" "${2:-20}" || status=$?
  [ "$status" == 124 ] || unset "LW_SPAWNED[$1]"
  return "$status"
}

# lw_wait_output NAME TEXT [SECONDS] [COUNT]: waits until the spawned program has printed a
# line that contains TEXT (COUNT such lines; 10 s by default).
lw_wait_output() {
  local tenths=$((${3:-10} * 10)) count=${4:-1}
  until [ "$(grep -cF -- "$2" "$LW_OUT/$1.out" 2>/dev/null)" -ge "$count" ]; do
    [ "$tenths" -gt 0 ] ||
      lw_fail "$1 did not print [$2] ($count times); it printed:"$'\n'"$(cat "$LW_OUT/$1.out")"
    tenths=$((tenths - 1))
    sleep 0.1
  done
}

# One byte of the value.
# shellcheck disable=SC2059  # the format is the byte's octal escape, built on purpose
_lw_byte() { printf "\\$(printf '%03o' $(($1 & 255)))"; }
# A little-endian 32-bit integer.
_lw_le32() {
  local value=$(($1 & 0xFFFFFFFF))
  _lw_byte "$value"
  _lw_byte $((value >> 8))
  _lw_byte $((value >> 16))
  _lw_byte $((value >> 24))
}
# A field of SIZE bytes: the value cut to leave room for a NUL, then NULs.
_lw_field() {
  local value=${1:0:$(($2 - 1))}
  printf '%s' "$value"
  head -c $(($2 - ${#value})) /dev/zero
}

# lw_dial_message FILE AREA NUMBER [APPLICATION] [COUNTRY] [TYPE] [ENTRY] [PHONEBOOK]: writes a
# well-formed dial request as the hook library sends it (the layout of
# src/hooking/dial_request.h), for "lw_driver pipe-send". ASCII fields; by default the
# application is dialer.exe of the program folder, the country 48 and the type 1.
lw_dial_message() {
  local file=$1 area=$2 number=$3 application=${4:-"$LW_WIN_DIR\\dialer.exe"}
  local country=${5:-48} type=${6:-1} entry=${7:-} phonebook=${8:-}
  (
    export LC_ALL=C
    _lw_byte "$type"
    head -c 3 /dev/zero
    _lw_le32 "$country"
    _lw_field "$area" 11
    _lw_field "$number" 129
    _lw_field "$entry" 129
    _lw_field "$phonebook" 129
    printf '%s\0' "$application"
  ) >"$file"
}

# --- the program -------------------------------------------------------------------------------

# lw_start_background [ARGS...]: starts larkwatch.exe from its folder in the background and
# returns at once, for a start whose first-run or warning boxes the scenario answers itself.
lw_start_background() {
  [ -f "$LW_DIR/larkwatch.exe" ] || lw_fail "no larkwatch.exe in $LW_BIN"
  [ -z "$LW_PID" ] || lw_fail "larkwatch.exe runs already"
  (cd "$LW_DIR" && exec bash -c 'lw_wine_pl "$@"' lw_wine_pl "$LW_WIN_DIR\\larkwatch.exe" "$@") \
    </dev/null >>"$LW_OUT/larkwatch.out" 2>>"$LW_OUT/larkwatch.err" &
  LW_PID=$!
}

# lw_wait_window_text CLASS TEXT: waits (10 s at most) until a window of the class, or a control
# in it, shows TEXT, and prints everything the window shows; fails the scenario otherwise (inside
# $(...) add "|| exit 1": the failure ends only the subshell there).
lw_wait_window_text() {
  local text
  for _ in $(seq 1 100); do
    text=$(lw_driver text "$1")
    case "$text" in *"$2"*)
      printf '%s\n' "$text"
      return 0
      ;;
    esac
    sleep 0.1
  done
  lw_fail "$1 does not show [$2]; it shows: $text"
}

# lw_start [ARGS...]: starts larkwatch.exe from its folder in the background and waits for its
# instance window (TAboutForm "LarkWatch", hidden). LW_START_TIMEOUT_MS bounds the wait.
lw_start() {
  lw_start_background "$@"
  lw_driver wait-window TAboutForm LarkWatch --timeout "${LW_START_TIMEOUT_MS:-20000}" \
    >/dev/null || lw_fail "larkwatch.exe started, but no TAboutForm \"LarkWatch\" window appeared"
}

# lw_stop: "larkwatch.exe --stop", then waits for the instance window to go and the program to
# end; its exit code is left in LW_EXIT_CODE.
lw_stop() {
  [ -n "$LW_PID" ] || return 0
  lw_exec larkwatch.exe --stop >>"$LW_OUT/larkwatch-stop.out" 2>&1 ||
    lw_fail "larkwatch.exe --stop failed"
  lw_driver wait-gone TAboutForm LarkWatch --timeout "${LW_STOP_TIMEOUT_MS:-20000}" \
    >/dev/null || lw_fail "the TAboutForm \"LarkWatch\" window is still there after --stop"
  local status=0
  lw_wait_pid "$LW_PID" 20 || status=$?
  [ "$status" != 124 ] || lw_fail "larkwatch.exe did not end after --stop"
  # shellcheck disable=SC2034  # for the scenarios
  LW_EXIT_CODE=$status
  LW_PID=""
}

# --- the maker's service -----------------------------------------------------------------------

LW_SERVER=${LW_SERVER:-$LW_ROOT/build/native/server/lwserver}
LW_SERVICE_PID=""
LW_TEST_KEY="$LW_ROOT/tests/keys/update-test-private.pem"

# lw_service_start CONTENT KEY [ARGS...]: starts lwserver on a free loopback port with the
# content folder CONTENT, signing with KEY, and points the online services of the programs
# started afterwards at it (LARKWATCH_SERVICE). Its access lines go to $LW_OUT/lwserver.log.
lw_service_start() {
  local content=$1 key=$2
  shift 2
  [ -x "$LW_SERVER" ] || lw_fail "$LW_SERVER is missing: build the native preset first"
  lw_service_stop
  : >"$LW_OUT/lwserver.out"
  "$LW_SERVER" --root "$content" --listen 127.0.0.1:0 --key "$key" "$@" \
    >"$LW_OUT/lwserver.out" 2>>"$LW_OUT/lwserver.log" </dev/null &
  LW_SERVICE_PID=$!
  local line=""
  for _ in $(seq 1 100); do
    line=$(grep -m 1 '^lwserver: listening on ' "$LW_OUT/lwserver.out" || true)
    [ -z "$line" ] || break
    sleep 0.1
  done
  [ -n "$line" ] || lw_fail "lwserver did not start: $(cat "$LW_OUT/lwserver.log")"
  export LARKWATCH_SERVICE=${line#lwserver: listening on }
  echo "=== service on $LARKWATCH_SERVICE $*" >>"$LW_OUT/lwserver.log"
}

lw_service_stop() {
  [ -n "$LW_SERVICE_PID" ] || return 0
  kill "$LW_SERVICE_PID" 2>/dev/null || true
  wait "$LW_SERVICE_PID" 2>/dev/null || true
  LW_SERVICE_PID=""
}

# lw_service_log: the service's access lines since its last start.
lw_service_log() { sed -n '/^=== service on '"$LARKWATCH_SERVICE"'/,$p' "$LW_OUT/lwserver.log"; }

# lw_wait_for DESCRIPTION COMMAND...: waits (20 s at most) until COMMAND succeeds; fails the
# scenario with DESCRIPTION and the service's last lines otherwise.
lw_wait_for() {
  local what=$1
  shift
  for _ in $(seq 1 200); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  lw_fail "$what: not within 20 s; the service logged: $(lw_service_log 2>/dev/null | tail -n 5)"
}

# lw_screenshot NAME: the whole X screen into build/e2e-screenshots/NAME.png.
lw_screenshot() {
  local file="$LW_SHOTS/$1.png"
  timeout 30 import -display "$DISPLAY" -window root "$file" </dev/null >/dev/null 2>&1 ||
    lw_fail "no screenshot $file"
  echo "$file"
}

# --- setting up and ending ---------------------------------------------------------------------

# lw_on_exit COMMAND: runs COMMAND (a string for eval) at the end, before Wine is stopped.
lw_on_exit() { LW_CLEANUPS+=("$1"); }

# Uses the caller's display, or starts a private Xvfb on a free display.
lw_e2e_display() {
  [ -z "${DISPLAY:-}" ] || return 0
  command -v Xvfb >/dev/null || lw_fail "no DISPLAY and no Xvfb"
  local number_file="$LW_OUT/xvfb-display"
  rm -f "$number_file"
  # Without the prefix in its environment, so that it does not count as a Wine process.
  env -u WINEPREFIX Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$number_file" \
    </dev/null >"$LW_OUT/xvfb.log" 2>&1 &
  LW_XVFB_PID=$!
  local tenths=100
  until [ -s "$number_file" ]; do
    kill -0 "$LW_XVFB_PID" 2>/dev/null || lw_fail "Xvfb did not start: $(cat "$LW_OUT/xvfb.log")"
    [ "$tenths" -gt 0 ] || lw_fail "Xvfb did not report its display"
    tenths=$((tenths - 1))
    sleep 0.1
  done
  DISPLAY=":$(head -n 1 "$number_file")"
  export DISPLAY
}

# The processes whose environment names this scenario's prefix.
lw_e2e_prefix_processes() {
  local environ pid
  for environ in /proc/[0-9]*/environ; do
    pid=${environ#/proc/}
    pid=${pid%/environ}
    if [ "$pid" == "$$" ] || [ "$pid" == "$BASHPID" ]; then continue; fi
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
      local name
      name=$({ tr '\0' ' ' <"/proc/$pid/cmdline"; } 2>/dev/null) || continue
      # The scenario's own shells carry the prefix too.
      case "$name" in bash*|*/bash*|timeout*|sleep*|tr*|grep*) continue ;; esac
      echo "$pid $name"
    fi
  done
}

# Ends every Wine process of the prefix (and only of this prefix).
lw_e2e_stop_wine() {
  timeout 30 "$WINESERVER" -k </dev/null >/dev/null 2>&1 || true
  timeout 30 "$WINESERVER" -w </dev/null >/dev/null 2>&1 || true
}

lw_e2e_finish() {
  local status=$?
  set +e
  local cleanup
  for cleanup in "${LW_CLEANUPS[@]}"; do eval "$cleanup"; done
  lw_service_stop
  lw_e2e_stop_wine
  # The background shells end with their programs.
  local pid
  for pid in $LW_PID "${LW_SPAWNED[@]}"; do lw_wait_pid "$pid" 10 >/dev/null 2>&1; done
  local left
  left=$(lw_e2e_prefix_processes)
  if [ -n "$left" ]; then
    echo "e2e[$LW_SCENARIO]: FAIL: Wine processes of $WINEPREFIX are left:"$'\n'"$left" >&2
    echo "$left" | while read -r pid _; do kill -9 "$pid" 2>/dev/null; done
    status=1
  fi
  if [ -n "$LW_XVFB_PID" ]; then
    kill "$LW_XVFB_PID" 2>/dev/null
    wait "$LW_XVFB_PID" 2>/dev/null
  fi
  if [ "$status" == 0 ]; then
    echo "e2e[$LW_SCENARIO]: PASS"
  else
    echo "e2e[$LW_SCENARIO]: FAIL (exit $status)" >&2
  fi
  exit "$status"
}
trap lw_e2e_finish EXIT

# lw_e2e_setup: the display, the prepared prefix with a running session, a fresh program folder
# with the programs of the build, and no LarkWatch settings (lwconfig --clear).
lw_e2e_setup() {
  local file
  for file in lwdriver.exe lwconfig.exe; do
    [ -f "$LW_BIN/$file" ] || lw_fail "$LW_BIN/$file is missing: build the win64 preset first"
  done
  rm -rf "$LW_OUT"
  mkdir -p "$LW_OUT" "$LW_SHOTS"
  lw_e2e_display
  # A session left over by an earlier run that was killed would keep the old display.
  lw_e2e_stop_wine
  lw_wine_prepare
  rm -rf "$LW_DIR"
  mkdir -p "$LW_DIR"
  for file in "${LW_E2E_FILES[@]}"; do
    [ ! -f "$LW_BIN/$file" ] || cp "$LW_BIN/$file" "$LW_DIR/"
  done
  lw_config --clear >"$LW_OUT/setup-clear.out" 2>&1 ||
    lw_fail "lwconfig --clear failed: $(cat "$LW_OUT/setup-clear.out")"
  # The simulated line answers the dial-up calls of every program of the prefix; each scenario
  # starts with an empty phonebook and no connections, failure modes or delays.
  lw_linesim_install "$LW_BIN/linesim.dll" || lw_fail "the simulated line cannot be installed"
  rm -f "$WINEPREFIX"/drive_c/users/*/AppData/Roaming/Microsoft/Network/Connections/Pbk/rasphone.pbk
  lw_exec linectl.exe reset >"$LW_OUT/setup-line.out" 2>&1 ||
    lw_fail "linectl reset failed: $(cat "$LW_OUT/setup-line.out")"
  lw_step "ready: $LW_WIN_DIR on DISPLAY=$DISPLAY, prefix $WINEPREFIX"
}
