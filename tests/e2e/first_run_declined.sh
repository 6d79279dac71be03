#!/usr/bin/env bash
# The first-run question answered no: the options dialog opens on the safe numbers page and
# holds the user until OK; Esc does nothing meanwhile, and OK with settings that leave the line
# unprotected asks first.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_start_background

lw_step "no to the first-run question: the options dialog must be completed"
lw_driver wait-text "Program nie jest skonfigurowany." --visible --timeout 20000 >/dev/null ||
  lw_fail "no first-run question"
lw_driver click '#32770' Nie >/dev/null || lw_fail "no cannot be clicked"
lw_driver wait-window TOptionsForm --visible --timeout 20000 >/dev/null ||
  lw_fail "the options dialog did not open"
lw_screenshot must_configure >/dev/null
lw_driver key TOptionsForm ESC >/dev/null
sleep 1
lw_driver wait-window TOptionsForm --visible --timeout 1000 >/dev/null ||
  lw_fail "Esc closed the dialog that must be completed"

lw_step "OK with unprotective settings asks first; no keeps the dialog open"
lw_driver key TOptionsForm RETURN --ctrl >/dev/null
lw_driver wait-text "Takie ustawienia nie zapewniają bezpieczeństwa." --visible >/dev/null ||
  lw_fail "no question about the unprotective settings"
lw_driver click '#32770' Nie >/dev/null
sleep 1
lw_driver wait-window TOptionsForm --visible --timeout 1000 >/dev/null ||
  lw_fail "no to the question closed the dialog"
if lw_reg query 'HKCU\Software\LarkWatch' /v CRCreg >/dev/null 2>&1; then
  lw_fail "settings were saved before OK was confirmed"
fi

lw_step "yes stores them and ends the must-configure state"
lw_driver key TOptionsForm RETURN --ctrl >/dev/null
lw_driver wait-text "Takie ustawienia nie zapewniają bezpieczeństwa." --visible >/dev/null ||
  lw_fail "no question the second time"
lw_driver click '#32770' Tak >/dev/null
lw_driver wait-gone TOptionsForm --visible >/dev/null || lw_fail "OK did not close the dialog"
lw_assert_contains "$(lw_reg query 'HKCU\Software\LarkWatch' /v CRCreg)" "CRCreg"
lw_driver wait-window TAboutForm LarkWatch --timeout 20000 >/dev/null || lw_fail "no program"
lw_stop
echo "e2e[$LW_SCENARIO]: passed"
