#!/usr/bin/env bash
# Settings changed behind the program's back: a stored value that the checksum covers brings the
# warning and the question whether to open the options; the window's own values do not.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --safe '0202122' --set OnlySafe=1 --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_assert_contains "$(lw_config --keep --verify)" "verify=ok"

lw_step "the statistics window's on-top state changed outside: no warning"
lw_reg add 'HKCU\Software\LarkWatch' /v StatsOnTop /t REG_DWORD /d 0 /f >/dev/null
lw_start
if lw_driver wait-window '#32770' --visible --timeout 2000 >/dev/null; then
  lw_fail "a message after a change of StatsOnTop: $(lw_driver text '#32770')"
fi
lw_stop

lw_step "OnlySafe switched off outside: the warning, then the question"
lw_reg add 'HKCU\Software\LarkWatch' /v OnlySafe /t REG_DWORD /d 0 /f >/dev/null
lw_start_background
lw_driver wait-text "Wpisy konfiguracji programu są nieprawidłowe." --visible --timeout 20000 \
  >/dev/null || lw_fail "no checksum warning"
lw_screenshot checksum_warning >/dev/null
lw_driver click '#32770' OK >/dev/null || lw_fail "the warning cannot be closed"
lw_driver wait-text "Czy włączyć opcje teraz?" --visible --timeout 10000 >/dev/null ||
  lw_fail "no question after the warning"
lw_driver click '#32770' Nie >/dev/null || lw_fail "the question cannot be answered"
lw_driver wait-window TAboutForm LarkWatch --timeout 20000 >/dev/null || lw_fail "no program"
lw_stop
echo "e2e[$LW_SCENARIO]: passed"
