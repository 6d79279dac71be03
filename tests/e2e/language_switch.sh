#!/usr/bin/env bash
# The "Język" menu: English replaces the texts of the live windows and of the notices at once,
# the choice is remembered across a restart, and Polski brings the built-in texts back.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set WarningsTime=30 >/dev/null ||
  lw_fail "lwconfig failed"
lw_start

# The menu lists the files by name: English first, then Polski.
readonly ENGLISH=1100 POLSKI=1101


lw_step "English: the statistics window and a notice speak English"
lw_driver command TMainForm "$ENGLISH" >/dev/null || lw_fail "the language command was not taken"
lw_driver command TMainForm 1001 >/dev/null
lw_driver wait-window TMainForm --visible >/dev/null || lw_fail "no statistics window"
lw_wait_window_text TMainForm "Phonebook entry:" >/dev/null
lw_wait_window_text TMainForm "LarkWatch - statistics - (48)" >/dev/null
lw_line connect --number 0202122 >/dev/null || lw_fail "linectl connect failed"
lw_driver wait-text "Connected to number 0202122." --visible >/dev/null ||
  lw_fail "the notice is not in English: $(lw_driver text TInfoForm)"
lw_screenshot language_english >/dev/null
lw_driver command TMainForm 1002 >/dev/null
lw_driver wait-window TOptionsForm "LarkWatch - options" --visible >/dev/null ||
  lw_fail "the options dialog is not in English: $(lw_driver text TOptionsForm | head -3)"
lw_wait_window_text TOptionsForm "Dangerous numbers" >/dev/null
lw_screenshot language_english_options >/dev/null
lw_driver key TOptionsForm ESC >/dev/null
lw_driver wait-gone TOptionsForm --visible >/dev/null || lw_fail "Esc did not close the options"

lw_step "the choice is remembered"
lw_stop
lw_assert_contains "$(lw_reg query 'HKCU\Software\LarkWatch' /v Langugage)" "English"
lw_start
lw_driver command TMainForm 1001 >/dev/null
lw_wait_window_text TMainForm "Phonebook entry:" >/dev/null

lw_step "Polski brings the built-in texts back"
lw_driver command TMainForm "$POLSKI" >/dev/null
lw_wait_window_text TMainForm "Wpis z książki:" >/dev/null
lw_wait_window_text TMainForm "LarkWatch - statystyka - (48)" >/dev/null
lw_wait_window_text TOptionsForm "Niebezpieczne numery" >/dev/null
lw_line drop --all >/dev/null
lw_driver wait-text "Rozłączono połączenie modemowe." --visible >/dev/null ||
  lw_fail "the notice is not in Polish: $(lw_driver text TInfoForm)"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
