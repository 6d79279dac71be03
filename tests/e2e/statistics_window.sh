#!/usr/bin/env bash
# The statistics window with three connections of the simulated line: stepping with Page Down
# and Page Up, F5 refreshing without a new evaluation (any other redraw evaluates the connection
# again), and Ctrl+Break cutting the connection shown.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger "0700*" --set PDAsk=0 --set WarningsTime=1 >/dev/null || lw_fail "lwconfig failed"
lw_line add Dom --number 7654321 --area 22 --country 48 >/dev/null || lw_fail "linectl add failed"
lw_line add Praca --number 5550100 --area 12 --country 48 >/dev/null || lw_fail "linectl add failed"
lw_start

# lw_quiet: waits until the notice has gone.
lw_quiet() {
  lw_driver wait-gone TInfoForm --visible --timeout 10000 >/dev/null || lw_fail "the notice stays"
}

lw_step "three connections; the window shows the last one first"
lw_line connect --entry Dom >/dev/null
lw_line connect --entry Praca >/dev/null
lw_line connect --number 0202122 >/dev/null
lw_line wait-connections 3 >/dev/null || lw_fail "the line has not three connections"
lw_driver command TMainForm 1001 >/dev/null || lw_fail "the statistics command was not taken"
lw_driver wait-window TMainForm --visible >/dev/null || lw_fail "no statistics window"
lw_wait_window_text TMainForm "3/3" >/dev/null
lw_wait_window_text TMainForm "Status: wykrytych połączeń telefonicznych 3" >/dev/null
lw_wait_window_text TMainForm "brak wpisu do książki" >/dev/null
lw_wait_window_text TMainForm "0202122" >/dev/null
lw_quiet

lw_step "Page Down shows the second connection and evaluates it again"
lw_driver key TMainForm NEXT >/dev/null
lw_wait_window_text TMainForm "2/3" >/dev/null
lw_wait_window_text TMainForm "Praca" >/dev/null
lw_driver wait-text "Połączono z numerem 12 5550100." --visible >/dev/null ||
  lw_fail "the redraw did not evaluate the connection again"
lw_screenshot statistics_window >/dev/null
lw_quiet

lw_step "F5 refreshes without a new evaluation"
lw_driver key TMainForm F5 >/dev/null
lw_wait_window_text TMainForm "3/3" >/dev/null
sleep 1.5
visible=$(lw_driver wait-window TInfoForm | sed -n 's/^visible=//p')
lw_assert_eq "0" "$visible" "a notice after F5"

lw_step "Page Up shows the last connection; Ctrl+Break cuts it"
lw_driver key TMainForm PRIOR >/dev/null
lw_wait_window_text TMainForm "3/3" >/dev/null
lw_wait_window_text TMainForm "0202122" >/dev/null
lw_driver key TMainForm 3 --ctrl >/dev/null  # VK_CANCEL: Ctrl+Break
# The notice of the user's hang-up gives way to that of the disconnection within milliseconds.
lw_line wait-connections 2 >/dev/null || lw_fail "Ctrl+Break did not cut the connection shown"
lw_driver wait-text "Rozłączono połączenie modemowe." --visible >/dev/null ||
  lw_fail "no notice of the disconnection"
connections=$(lw_line connections)
lw_assert_not_contains "$connections" "entry=.0202122"
lw_wait_window_text TMainForm "Status: wykrytych połączeń telefonicznych 2" >/dev/null

lw_step "Esc hides the window"
lw_driver key TMainForm ESC >/dev/null
lw_driver wait-gone TMainForm --visible >/dev/null || lw_fail "Esc did not hide the window"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
