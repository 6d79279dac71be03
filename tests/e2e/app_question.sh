#!/usr/bin/env bash
# An application on neither list is asked about: yes lets it dial, no refuses it, and the two
# list buttons also put it on the permitted or the denied list, whose file and checksum are
# written at once, so that its next dial is decided without a question.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' >/dev/null || lw_fail "lwconfig failed"  # asking is the default
for name in yes no permit deny; do cp "$LW_DIR/dialer.exe" "$LW_DIR/$name.exe"; done
lw_start

# ask APP BUTTON: APP dials, the question shows, BUTTON answers; prints the dialler's line.
ask() {
  local app=$1 button=$2
  lw_spawn "$app" "$app.exe" dial --number 0202122 --pump
  lw_driver wait-window TQuestionAppForm --visible >/dev/null || lw_fail "no question for $app"
  local text
  text=$(lw_driver text TQuestionAppForm)
  lw_assert_contains "$text" "Następująca aplikacja próbuje nawiązać połączenie"
  lw_assert_contains "$text" "$LW_WIN_DIR\\$app.exe"
  lw_assert_contains "$text" "Pozwolić aplikacji na wybranie numeru ?"
  [ "$app" != yes ] || lw_screenshot app_question >/dev/null
  lw_driver click TQuestionAppForm "$button" >/dev/null || lw_fail "no button $button"
  lw_wait_spawn "$app" || true
  lw_spawn_output "$app"
}

# no_question APP: APP dials and is decided without a question; prints the dialler's line.
no_question() {
  local out
  out=$(lw_dialer_as "$1")
  if lw_driver wait-window TQuestionAppForm --visible --timeout 300 >/dev/null; then
    lw_fail "$1 was asked about again"
  fi
  echo "$out"
}
lw_dialer_as() { lw_exec "$1.exe" dial --number 0202122 --pump || true; }

lw_step "yes: the dial goes ahead"
lw_assert_not_contains "$(ask yes Tak)" "RasDialA=631"
lw_step "no: the dial is refused"
lw_assert_contains "$(ask no Nie)" "RasDialA=631"

lw_step "add to the permitted: allowed now and from now on without a question"
lw_assert_not_contains "$(ask permit 'Dodaj do uprawnionych')" "RasDialA=631"
lw_step "add to the denied: refused now and from now on without a question"
lw_assert_contains "$(ask deny 'Dodaj to zabronionych')" "RasDialA=631"

lw_step "the list files hold the applications, length byte and path"
expect_list() {
  local file=$1 path="$LW_WIN_DIR\\$2.exe"
  local expected
  expected=$(printf "\\$(printf '%03o' ${#path})%s" "$path" | od -An -tx1)
  lw_assert_eq "$expected" "$(od -An -tx1 "$LW_DIR/$file")" "$file"
}
expect_list lwp.dat permit
expect_list lwd.dat deny

lw_step "listed applications are decided without a question"
lw_assert_not_contains "$(no_question permit)" "RasDialA=631"
lw_assert_contains "$(no_question deny)" "RasDialA=631"

lw_stop
lw_step "the stored lists pass their checksums at the next start"
out=$(lw_config --verify) || lw_fail "the stored configuration does not verify: $out"
lw_assert_contains "$out" "verify=ok"
echo "e2e[$LW_SCENARIO]: passed"
