#!/usr/bin/env bash
# The accelerated connection: a modem dial of another program is refused, and two seconds later
# the program dials its own safe number, which comes up and is recognised as safe. The menu's
# "Wybierz numer domyślny" dials it too.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set UseAcceleration=1 --set WarningsTime=30 \
  >/dev/null || lw_fail "lwconfig failed"
for value in "LWNo 0202122" "LWUser lw" "LWPass haslo"; do
  set -- $value
  lw_reg add 'HKCU\Software\LarkWatch' /v "$1" /t REG_SZ /d "$2" /f >/dev/null ||
    lw_fail "cannot store $1"
done
lw_line add Dom --number 7654321 --area 22 --country 48 >/dev/null || lw_fail "linectl add failed"
lw_start

lw_step "a modem dial is refused and replaced by the accelerated connection"
out=$(lw_dialer dial --entry Dom --pump || true)
lw_assert_contains "$out" "RasDialA=631"
lw_line wait-connections 1 --timeout 20 >/dev/null || lw_fail "the program did not dial its number"
lw_assert_contains "$(lw_line connections)" "entry=.0202122"
lw_driver wait-text "Połączono z bezpiecznym numerem LarkWatch (0202122)." --visible \
  --timeout 15000 >/dev/null || lw_fail "the safe connection was not recognised: $(lw_driver text TInfoForm)"
lw_screenshot accelerated_connection >/dev/null

lw_step "the menu command dials it again after the line dropped"
lw_line drop --all >/dev/null
lw_driver wait-text "Rozłączono połączenie modemowe." --visible --timeout 15000 >/dev/null ||
  lw_fail "no notice of the disconnection"
lw_driver command TMainForm 1003 >/dev/null || lw_fail "the dial command was not taken"
lw_line wait-connections 1 --timeout 20 >/dev/null || lw_fail "the menu did not dial the number"
lw_driver wait-text "Połączono z bezpiecznym numerem LarkWatch (0202122)." --visible \
  --timeout 15000 >/dev/null || lw_fail "the second safe connection was not recognised"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
