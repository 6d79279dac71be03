#!/usr/bin/env bash
# The menu's "Koniec" asks before the program ends (No keeps it running, and a later "Koniec"
# asks again); the about box shows its credits and hides with Esc, and is the window by which a
# later "--stop" still finds the instance.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

readonly MENU_ABOUT=1005 MENU_CLOSE=1007
lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_start

lw_step "the about box: credits, web and mail lines; Esc hides it"
lw_driver command TMainForm "$MENU_ABOUT" >/dev/null || lw_fail "no main window"
lw_driver wait-window TAboutForm LarkWatch --visible >/dev/null || lw_fail "no about box"
lw_screenshot about_box >/dev/null
lw_driver key TAboutForm ESC >/dev/null
for _ in $(seq 1 50); do
  lw_driver wait-window TAboutForm LarkWatch --visible --timeout 100 >/dev/null || break
done
if lw_driver wait-window TAboutForm LarkWatch --visible --timeout 100 >/dev/null; then
  lw_fail "Esc did not hide the about box"
fi
lw_driver wait-window TAboutForm LarkWatch >/dev/null || lw_fail "the about box is gone"

lw_step "Koniec, answered No: the program keeps running"
lw_driver command TMainForm "$MENU_CLOSE" >/dev/null
out=$(lw_driver wait-text "Na pewno chcesz wyłączyć program.")
lw_assert_contains "$out" 'Ochrona linii telefonicznej zostanie wyłączona.'
lw_assert_contains "$(lw_driver text '#32770')" "#32770: LorkWatch"
lw_driver click '#32770' Nie >/dev/null || lw_fail "no button Nie"
lw_driver wait-gone '#32770' LorkWatch >/dev/null || lw_fail "the question stayed"
lw_dial_message "$LW_OUT/dial.bin" "" 0202122
lw_assert_eq "1" "$(lw_driver pipe-send "$LW_OUT/dial.bin")" "the answer after No"

lw_step "Koniec again asks again; Yes ends the program"
lw_driver command TMainForm "$MENU_CLOSE" >/dev/null
lw_driver wait-text "Na pewno chcesz wyłączyć program." >/dev/null || lw_fail "not asked again"
lw_driver click '#32770' Tak >/dev/null || lw_fail "no button Tak"
lw_driver wait-gone TAboutForm LarkWatch >/dev/null || lw_fail "the program did not end"
status=0
lw_wait_pid "$LW_PID" 20 || status=$?
lw_assert_eq 0 "$status" "the program's exit code"
LW_PID=""
echo "e2e[$LW_SCENARIO]: passed"
