#!/usr/bin/env bash
# A dangerous connection with the "ask, with a countdown" option: unanswered, the question
# cuts the connection when its countdown runs out; answered yes, the connection stays up.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set DangerAsk=1 --set DangerAskDiscAfter=1 \
  --set AskDiscAfterTime=2 --set WarningsTime=30 >/dev/null || lw_fail "lwconfig failed"
lw_start

lw_step "the question about a dangerous connection counts down and cuts it"
lw_line connect --number 0700123456 >/dev/null || lw_fail "linectl connect failed"
lw_driver wait-window TQuestionForm --visible --timeout 15000 >/dev/null ||
  lw_fail "no question about the connection"
text=$(lw_driver text TQuestionForm)
lw_assert_contains "$text" "Połączono z numerem niebezpiecznym: 0700123456"
lw_assert_contains "$text" "Czy utrzymać to połączenie ?"
lw_screenshot connection_question >/dev/null
lw_line wait-connections 0 --timeout 15 >/dev/null ||
  lw_fail "the countdown ran out, but the connection stays up"
lw_driver wait-gone TQuestionForm --visible --timeout 5000 >/dev/null ||
  lw_fail "the question stays after its countdown"

lw_step "answered yes, the connection stays up"
lw_line connect --number 0700123456 >/dev/null || lw_fail "linectl connect failed"
lw_driver wait-window TQuestionForm --visible --timeout 15000 >/dev/null ||
  lw_fail "no question about the second connection"
# The click waits for the buttons, which stay disabled for a moment after the question appears.
lw_driver click TQuestionForm Tak >/dev/null || lw_fail "yes cannot be clicked"
lw_driver wait-gone TQuestionForm --visible --timeout 5000 >/dev/null ||
  lw_fail "the question stays after the answer"
sleep 3  # longer than the countdown: a yes is final
lw_assert_contains "$(lw_line connections)" "entry=.0700123456"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
