#!/usr/bin/env bash
# The queue against bad input and load: every malformed message is answered 0 and leaves no
# trace, the program stays up and answers; twenty dialers at once all get their answers and
# twenty whole records that never interleave.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_start
log=$(lw_unix_path "$LW_WIN_DIR\\logs.txt")
records() { [ -f "$log" ] && grep -c -- '^----------------------------------' "$log" || echo 0; }

lw_step "every short, unterminated or unknown message"
out=$(lw_driver pipe-short --timeout 20000)
echo "$out" >"$LW_OUT/short.out"
# Messages too short for their layout or of an unknown type are refused; fields without their
# NUL are read up to their capacity, and a hang-up may carry an empty path, so those requests
# are whole and decided.
whole='no-nul|header-only'
refused_wrongly=$(echo "$out" | grep '^case=' | grep -Ev "$whole" | grep -vc 'answer=0$' || true)
lw_assert_eq 0 "$refused_wrongly" "malformed messages answered other than 0"
decided=$(echo "$out" | grep '^case=' | grep -E "$whole" | grep -c 'answer=1$' || true)
lw_assert_eq "$decided" "$(records)" "records after the malformed messages"

lw_step "ten thousand random messages"
before=$(records)
out=$(lw_driver pipe-flood 10000 20261210 --timeout 20000)
echo "$out" >"$LW_OUT/flood.out"
lw_assert_contains "$out" "no-answer=0"
lw_assert_contains "$out" "answered-other=0"
typed=$(echo "$out" | sed -n 's/.*typed=\([0-9]*\).*/\1/p')
added=$(($(records) - before))
[ "$added" -le "${typed:-0}" ] || lw_fail "$added records from $typed typed random messages"

lw_step "the program is still up and answers"
lw_dial_message "$LW_OUT/dial.bin" "" 0202122
lw_assert_eq "1" "$(lw_driver pipe-send "$LW_OUT/dial.bin")" "the answer after the flood"
kill -0 "$LW_PID" 2>/dev/null || lw_fail "the program is gone"

lw_step "twenty dialers at once"
rm -f "$log"
out=$(lw_driver pipe-parallel 20 --timeout 60000 --entry Wpis)
lw_assert_contains "$out" "answered-1=20"
lw_assert_eq 20 "$(records)" "records of the parallel dials"
# Every record is whole: the same seven lines (the date aside), twenty times over.
record=$(printf '%s\r\n' "----------------------------------" "Próba połączenia" \
  "DATE - $LW_WIN_DIR\\lwdriver.exe" "+48 22 5550100" \
  "Wpis z książki telefonicznej: Wpis - nazwa książki: " "" "Wykonane")
expected=$(for _ in $(seq 1 20); do printf '%s\n' "$record"; done)
actual=$(iconv -f CP1250 -t UTF-8 "$log" | sed -E 's/^[0-9][^ ]* [0-9:]+ - /DATE - /')
lw_assert_eq "$expected" "$actual" "the log of the parallel dials"

lw_stop
echo "e2e[$LW_SCENARIO]: passed"
