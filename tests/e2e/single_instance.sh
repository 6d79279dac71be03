#!/usr/bin/env bash
# One instance at a time: a second start says so and ends with exit code 0 while the first goes
# on serving; only the exact "--stop" ends the running instance, without a question.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_start

# A second start, plain or with a switch that is not exactly "--stop", is an ordinary start.
second_start() {
  lw_step "a second start [$*] shows the second-instance message and ends with 0"
  lw_spawn second larkwatch.exe "$@"
  out=$(lw_driver wait-text "Już jestem uruchomiony...")
  lw_assert_contains "$out" 'text=Już jestem uruchomiony...\r\nZobacz na pasku zadań  :o)'
  lw_assert_contains "$out" "class=#32770"
  lw_driver click '#32770' OK >/dev/null || lw_fail "no OK button on the second-instance message"
  status=0
  lw_wait_spawn second || status=$?
  lw_assert_eq 0 "$status" "the second instance's exit code"
}
second_start
second_start --STOP
second_start "--stop "  # the command line then ends in a quote, not in "--stop"

lw_step "the first instance still answers requests"
lw_dial_message "$LW_OUT/dial.bin" "" 0202122
out=$(lw_driver pipe-send "$LW_OUT/dial.bin")
lw_assert_eq "1" "$out" "the first instance's answer"

lw_step "--stop ends it without a question"
lw_stop
lw_assert_eq 0 "$LW_EXIT_CODE" "the program's exit code"
status=0
lw_driver wait-text "Na pewno chcesz wyłączyć program" --timeout 500 >/dev/null || status=$?
lw_assert_eq 1 "$status" "a shutdown question was shown"

lw_step "--stop with no instance running ends at once"
lw_exec larkwatch.exe --stop || lw_fail "--stop without an instance failed"
echo "e2e[$LW_SCENARIO]: passed"
