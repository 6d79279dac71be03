#!/usr/bin/env bash
# What happens after a connection comes up on the simulated line: an ordinary one is announced,
# a dangerous one and one to a foreign country are cut at once, and after the program has cut
# one it dials the default entry again, with the credential prompt and the dial's progress.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 --set DangerDisNow=1 --set OnlyMyCountry=1 \
  --set WarningsTime=30 --set DialDefault=1 --set DefaultEntry=Dom >/dev/null ||
  lw_fail "lwconfig failed"
lw_line add Dom --number 7654321 --area 22 --country 48 --user jan --password tajne >/dev/null ||
  lw_fail "linectl add failed"
lw_line add Wyspy --number 123456 --area 12 --country 239 >/dev/null || lw_fail "linectl add failed"
lw_start

# lw_notice TEXT: waits until the information window shows TEXT.
lw_notice() {
  lw_driver wait-text "$1" --visible --timeout 15000 >/dev/null ||
    lw_fail "no notice [$1]; the window shows: $(lw_driver text TInfoForm)"
}

lw_step "a connection to a number on no list is announced and left up"
lw_line connect --entry Dom >/dev/null || lw_fail "linectl connect failed"
lw_notice "Połączono z numerem 22 7654321."
lw_assert_contains "$(lw_driver text TInfoForm)" "Kraj: (48) Polska"
lw_assert_eq "connections=1" "$(lw_line wait-connections 1 | tr -d '\r')" "line"
lw_screenshot connection_announced >/dev/null

lw_step "a carrier lost is a disconnection"
lw_line drop --all >/dev/null || lw_fail "linectl drop failed"
lw_notice "Rozłączono połączenie modemowe."

# The notice of a cut connection gives way to that of the disconnection within milliseconds;
# what is checked is the outcome. The number of Wyspy is on no list: only its country cuts it.
lw_step "a foreign country is cut at once"
lw_line connect --entry Wyspy >/dev/null || lw_fail "linectl connect failed"
lw_line wait-connections 0 >/dev/null || lw_fail "the foreign connection stays up"
lw_notice "Rozłączono połączenie modemowe."

lw_step "after the program cut a connection, the default entry is dialled again"
lw_driver wait-window TLoginForm --visible --timeout 15000 >/dev/null ||
  lw_fail "no credential prompt after the enforced hang-up"
prompt=$(lw_driver text TLoginForm)
lw_assert_contains "$prompt" "LarkWatch - logowanie..."
lw_assert_contains "$prompt" "Dom"
lw_assert_contains "$prompt" "22 7654321"
lw_assert_contains "$prompt" "(48) Polska"
lw_screenshot login_prompt >/dev/null
# A slower line, so that the dial's progress stays on screen long enough to be read.
lw_line delay 400 >/dev/null
lw_driver click TLoginForm OK >/dev/null || lw_fail "OK of the prompt cannot be clicked"
lw_driver wait-text "Rozpoczynam łączenie ze zdalnym komputerem..." --visible >/dev/null ||
  lw_fail "no progress of the dial: $(lw_driver text TInfoForm)"
lw_line wait-connections 1 >/dev/null || lw_fail "the default entry was not dialled"
lw_line delay 50 >/dev/null
lw_assert_contains "$(lw_line connections)" "entry=Dom"
lw_notice "Połączono z numerem 22 7654321."

lw_step "a dangerous number is cut at once"
lw_line drop --all >/dev/null
lw_notice "Rozłączono połączenie modemowe."
lw_line connect --number 0700123456 >/dev/null || lw_fail "linectl connect failed"
lw_line wait-connections 0 >/dev/null || lw_fail "the dangerous connection stays up"
lw_driver wait-window TLoginForm --visible --timeout 15000 >/dev/null ||
  lw_fail "no credential prompt after the second enforced hang-up"
lw_driver key TLoginForm ESC >/dev/null
lw_driver wait-gone TLoginForm --visible --timeout 5000 >/dev/null || lw_fail "Esc left the prompt"
lw_assert_eq "" "$(lw_line connections | tr -d '\r')" "connections after the cancelled redial"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
