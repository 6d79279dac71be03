#!/usr/bin/env bash
# A foreign program dials and hangs up; the hook library, injected by the running program,
# asks it; the policy decides; the dialler sees the answer; every attempt is in logs.txt.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_step "configured: no questions, dangerous numbers refused at once"
lw_config --danger '0700*' --safe '0202*' --set PDAsk=0 --set DangerDisNow=1 --verify \
  >"$LW_OUT/config.out" || lw_fail "lwconfig failed: $(cat "$LW_OUT/config.out")"
lw_assert_contains "$(cat "$LW_OUT/config.out")" "verify=ok"
lw_start

lw_step "an ordinary number is allowed: the call reaches the dial-up service"
out=$(lw_dialer dial --number 0202122 --pump || true)
lw_assert_contains "$out" "RasDialA="
lw_assert_not_contains "$out" "RasDialA=631"

lw_step "a dangerous number is refused with the refusal code"
out=$(lw_dialer dial --number 0700123 --pump || true)
lw_assert_contains "$out" "RasDialA=631"

lw_step "a hang-up is allowed"
out=$(lw_dialer hangup --handle 7 --pump || true)
lw_assert_contains "$out" "RasHangUpA="
lw_assert_not_contains "$out" "RasHangUpA=631"

lw_stop
lw_assert_eq 0 "$LW_EXIT_CODE" "the program's exit code"

lw_step "logs.txt holds the three records, byte for byte but the date"
log=$(lw_unix_path "$LW_WIN_DIR\\logs.txt")
[ -f "$log" ] || lw_fail "no logs.txt"
# Code page 1250 on disk; compared in UTF-8 with the date and time replaced.
actual=$(iconv -f CP1250 -t UTF-8 "$log" | sed -E 's/^[0-9][^ ]* [0-9:]+ - /DATE - /')
app="$LW_WIN_DIR\\dialer.exe"
expected=$(printf '%s\r\n' \
  "----------------------------------" "Próba połączenia" "DATE - $app" " 0202122" "Wykonane" \
  "----------------------------------" "Próba połączenia" "DATE - $app" " 0700123" "Zablokowane" \
  "----------------------------------" "Rozłączanie" "DATE - $app" "Wykonane")
lw_assert_eq "$expected" "$actual" "logs.txt"
echo "e2e[$LW_SCENARIO]: passed"
