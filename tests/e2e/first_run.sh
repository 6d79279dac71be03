#!/usr/bin/env bash
# The first start on a machine without configuration: the program offers to configure itself,
# the user picks the provider's entry of the phonebook in the chooser, and everything is stored,
# so that the next start is silent.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_line add Dom --number 7654321 --area 22 --country 48 >/dev/null || lw_fail "linectl add failed"
lw_line add Praca --number 5550100 --no-codes >/dev/null || lw_fail "linectl add failed"

# The program's windows come after the first-run questions, which are answered as they come.
lw_start_background

lw_step "the first-run question"
lw_driver wait-text "Program nie jest skonfigurowany." --visible --timeout 20000 >/dev/null ||
  lw_fail "no first-run question"
lw_screenshot first_run_question >/dev/null
lw_driver click '#32770' Tak >/dev/null || lw_fail "yes cannot be clicked"

lw_step "the chooser with its own caption steps through the phonebook"
lw_driver wait-window TDefaultForm "LarkWatch - wybierz bezpieczny numer do Internetu" \
  --visible >/dev/null || lw_fail "no first-run chooser"
text=$(lw_driver text TDefaultForm)
lw_assert_contains "$text" "1/2"
lw_assert_contains "$text" "Dom"
lw_assert_contains "$text" "(kod kraju +48)   22 7654321"
lw_screenshot first_run_chooser >/dev/null
lw_driver key TDefaultForm NEXT >/dev/null
text=$(lw_wait_window_text TDefaultForm "2/2") || exit 1
lw_assert_contains "$text" "5550100   (brak kodu kraju i strefy)"
lw_driver key TDefaultForm PRIOR >/dev/null
lw_driver click TDefaultForm OK >/dev/null || lw_fail "OK of the chooser cannot be clicked"

lw_step "configured: the entry's number is the only safe number"
lw_driver wait-text "Program został skonfigurowany." --visible --timeout 20000 >/dev/null ||
  lw_fail "no confirmation: $(lw_driver text '#32770')"
lw_driver click '#32770' OK >/dev/null || lw_fail "the confirmation cannot be closed"
lw_driver wait-window TAboutForm LarkWatch --timeout 20000 >/dev/null || lw_fail "the program did not start"
stored=$(lw_reg query 'HKCU\Software\LarkWatch')
lw_assert_contains "$stored" "DefaultEntry    REG_SZ    Dom"
lw_assert_contains "$stored" "OnlySafe    REG_DWORD    0x1"
lw_assert_contains "$(lw_reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run')" \
  "larkwatch.exe"
lw_assert_contains "$(od -c "$LW_DIR/lwsa.dat" | tr -s ' ')" "2 2 7 6 5 4 3 2 1"
lw_stop

lw_step "the next start is silent"
lw_assert_contains "$(lw_config --verify)" "verify=ok"
lw_start
sleep 2
if lw_driver wait-window '#32770' --visible --timeout 1000 >/dev/null; then
  lw_fail "a message at the second start: $(lw_driver text '#32770')"
fi
lw_stop
echo "e2e[$LW_SCENARIO]: passed"
