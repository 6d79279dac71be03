#!/usr/bin/env bash
# What the user sees: the notice beside the tray icon after a decision, and the yes/no question
# about a dangerous number with its countdown, which answers no by itself.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set DangerAsk=1 --set DangerAskDiscAfter=1 \
  --set AskDiscAfterTime=3 --set WarningsTime=30 >/dev/null || lw_fail "lwconfig failed"
# The dials are decided, but the line does not connect them: the notices seen are the decisions'.
lw_line fail dial 678 >/dev/null || lw_fail "linectl failed"
lw_start

lw_step "an allowed dial leaves its notice in the information window"
out=$(lw_dialer dial --number 0202122 --pump || true)
lw_assert_not_contains "$out" "RasDialA=631"
lw_driver wait-window TInfoForm --visible >/dev/null || lw_fail "no notice shown"
text=$(lw_driver text TInfoForm)
lw_assert_contains "$text" "Aplikacja $LW_WIN_DIR\\dialer.exe"
lw_assert_contains "$text" "nawiązuje połączenie z numerem: 0202122"
lw_assert_contains "$text" "Kraj: Brak informacji o kodzie kraju i strefy"
lw_screenshot info_window >/dev/null

lw_step "a dangerous number is asked about, with a countdown"
lw_spawn danger dialer.exe dial --number 0700123 --pump
lw_driver wait-window TQuestionForm --visible >/dev/null || lw_fail "no question shown"
text=$(lw_driver text TQuestionForm)
lw_assert_contains "$text" "LarkWatch - pytanie"
lw_assert_contains "$text" "próbuje nawiązać połączenie z numerem niebezpiecznym"
lw_assert_contains "$text" "Numer: 0700123"
lw_assert_contains "$text" "Zezwolić na dostęp do modemu?"
# The counter appears at the first tick.
lw_wait_window_text TQuestionForm "Odpowiem NIE za: " >/dev/null
lw_screenshot danger_question >/dev/null

lw_step "the countdown runs out: the answer is no"
status=0
lw_wait_spawn danger 20 || status=$?
lw_assert_contains "$(lw_spawn_output danger)" "RasDialA=631"
lw_driver wait-gone TQuestionForm --timeout 5000 >/dev/null || true
lw_stop
echo "e2e[$LW_SCENARIO]: passed"
