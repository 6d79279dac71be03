#!/usr/bin/env bash
# The options dialog is the live editing view of the settings: a dial decided while the dialog
# is open sees the edited value; after Cancel it sees the stored value again.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set DangerDisNow=1 --set WarningsTime=30 \
  >/dev/null || lw_fail "lwconfig failed"
lw_line fail dial 678 >/dev/null  # decided dials do not connect
lw_start

lw_step "stored: a dangerous number is refused"
lw_assert_contains "$(lw_dialer dial --number 0700123 --pump || true)" "RasDialA=631"

lw_step "edited in the open dialog: the same dial is let through with a warning"
lw_driver command TMainForm 1002 >/dev/null
lw_driver wait-window TOptionsForm --visible >/dev/null || lw_fail "no options dialog"
lw_driver click TOptionsForm "Nie rób nic (niezalecane)" >/dev/null ||
  lw_fail "the action cannot be chosen"
out=$(lw_dialer dial --number 0700123 --pump || true)
lw_assert_not_contains "$out" "RasDialA=631"
lw_driver wait-text "UWAGA !!!!" --visible >/dev/null || lw_fail "no warning notice"

lw_step "after Cancel the stored action counts again, and nothing was saved"
lw_driver key TOptionsForm ESC >/dev/null
lw_driver wait-gone TOptionsForm --visible >/dev/null || lw_fail "Esc did not close the dialog"
lw_assert_contains "$(lw_dialer dial --number 0700123 --pump || true)" "RasDialA=631"
lw_assert_contains "$(lw_reg query 'HKCU\Software\LarkWatch' /v DangerDisNow)" "0x1"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
