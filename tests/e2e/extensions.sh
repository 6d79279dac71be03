#!/usr/bin/env bash
# Extension libraries in the folder "extensions" beside the program, with their checksums from
# the maker's service (lwserver on loopback): those whose stored value matches are loaded with
# their command and told of every allowed and refused dial and every allowed hang-up, in the
# order they were loaded; one with a wrong stored value is warned about by name; one without
# the entry export is loaded but never called; one without a stored value is loaded after the
# run's one checksum refresh; one copied in while the program runs is loaded at once, and a name
# differing only in case is not loaded twice. The SDK's dial tally counts the dials it is told of.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

for file in lwtestext.dll lwtestext_noentry.dll LarkTally.dll; do
  [ -f "$LW_BIN/$file" ] || lw_fail "$LW_BIN/$file is missing"
done

ext="$LW_DIR/extensions"
mkdir -p "$ext"
log="$LW_OUT/extensions.log"
export LWTESTEXT_LOG
LWTESTEXT_LOG="Z:${log//\//\\}"

# The service computes the checksums the program stores for its add-ons.
content="$LW_OUT/service"
mkdir -p "$content/addons/Test"
cp "$LW_BIN/lwtestext.dll" "$content/addons/Test/lwtestext.dll"
cp "$LW_BIN/lwtestext_noentry.dll" "$content/addons/Test/lwtestext_noentry.dll"
# The libraries the program will have, for the checksum refresh.
for name in lwtestA lwtestB lwtestR lwtestC; do
  cp "$LW_BIN/lwtestext.dll" "$content/addons/Test/$name.dll"
done
cp "$LW_BIN/lwtestext_noentry.dll" "$content/addons/Test/lwtestN.dll"
lw_service_start "$content" "$LW_TEST_KEY"
address=$LARKWATCH_SERVICE
# regno NAME: the service's checksum of the library, as the unsigned value the registry holds.
regno() {
  local value
  value=$(curl -s --data-binary "give=regno&ext=$1&language=Poland" "http://$address/addons.php" |
    sed -n 's/.*regno=\(-\?[0-9]*\).*/\1/p')
  [ -n "$value" ] || lw_fail "no regno for $1"
  echo $(((value + 4294967296) % 4294967296))
}
cp "$LW_BIN/LarkTally.dll" "$content/addons/Test/LarkTally.dll"
tally=$(regno LarkTally)
full=$(regno lwtestext)
noentry=$(regno lwtestext_noentry)
[ "$full" != 0 ] || lw_fail "the checksum of lwtestext.dll is 0"
# store NAME VALUE: the checksum the program compares a library with.
store() {
  lw_reg add 'HKCU\Software\LarkWatch\Extensions' /v "$1" /t REG_DWORD /d "$2" /f >/dev/null ||
    lw_fail "reg add $1 failed"
}
calls() { cat "$log" 2>/dev/null | tr -d '\r'; }
# wait_calls TEXT: waits until the extensions' log holds TEXT.
wait_calls() {
  for _ in $(seq 1 100); do
    case "$(calls)" in *"$1"*) return 0 ;; esac
    sleep 0.1
  done
  lw_fail "the extensions did not log [$1]; they logged: $(calls)"
}

lw_config --danger '0700*' --set PDAsk=0 --set DangerDisNow=1 --set Deny=1 \
  --deny "$LW_WIN_DIR\\hangup.exe" >/dev/null || lw_fail "lwconfig failed"
cp "$LW_DIR/dialer.exe" "$LW_DIR/hangup.exe"
cp "$LW_BIN/lwtestext.dll" "$ext/lwtestA.dll"
cp "$LW_BIN/lwtestext.dll" "$ext/lwtestB.dll"
cp "$LW_BIN/lwtestext_noentry.dll" "$ext/lwtestN.dll"
cp "$LW_BIN/lwtestext.dll" "$ext/Fake.dll"
cp "$LW_BIN/lwtestext.dll" "$ext/lwtestR.dll"
# The SDK's sample, the dial tally, among them.
cp "$LW_BIN/LarkTally.dll" "$ext/LarkTally.dll"
store lwtestA "$full"
store lwtestB "$full"
store lwtestN "$noentry"
store Fake 12345
store LarkTally "$tally"

lw_step "a library with a wrong stored value is warned about by name and not loaded"
lw_start_background
box=$(lw_wait_window_text "#32770" "Rozszerzenie 'Fake.dll' ma zapisany niewłaściwy klucz") || exit 1
lw_assert_contains "$box" "Dla bezpieczeństwa usuń to rozszerzenie."
lw_screenshot extension_warning >/dev/null
lw_driver click "#32770" OK >/dev/null || lw_fail "the warning cannot be closed"
lw_driver wait-window TAboutForm LarkWatch --timeout 20000 >/dev/null || lw_fail "no program window"
# Every scan would warn again (each change in the folder is one): the library goes.
rm "$ext/Fake.dll"

lw_step "the others are loaded in folder order; the one without an entry gets no run-once"
wait_calls "lwtestB runonce"
lw_assert_not_contains "$(calls)" "Fake"
lw_assert_not_contains "$(calls)" "lwtestN runonce"

lw_step "the one without a stored value is loaded after the refresh, without a message"
wait_calls "lwtestR runonce"
# Loaded by a later scan than the others, once the service's values were stored.
lw_assert_eq "lwtestA lwtestB lwtestR" "$(calls | sed -n 's/ runonce$//p' | tr '\n' ' ' | sed 's/ $//')" \
  "the order of loading"
lw_assert_contains "$(lw_reg query 'HKCU\Software\LarkWatch\Extensions' /v lwtestR)" \
  "$(printf '0x%x' "$full")"
lw_assert_contains "$(lw_driver text '#32770' 2>&1 || true)" "not-found"

lw_step "an allowed dial, a refused dial and an allowed hang-up reach them in list order"
: >"$log"
lw_dialer dial --number 0202122 --pump >/dev/null || true
wait_calls "lwtestR connect"
lw_dialer dial --number 0700123 --pump >/dev/null || true
wait_calls "lwtestR illegal"
lw_dialer hangup --handle 7 --pump >/dev/null || true
wait_calls "lwtestR disconnect"
expected=$(printf '%s\n' \
  "lwtestA connect 0||0202122|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestB connect 0||0202122|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestR connect 0||0202122|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestA illegal 0||0700123|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestB illegal 0||0700123|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestR illegal 0||0700123|||$LW_WIN_DIR\\dialer.exe" \
  "lwtestA disconnect" "lwtestB disconnect" "lwtestR disconnect")
lw_assert_eq "$expected" "$(calls)" "the notifications"

# The dial tally counted the allowed and the refused dial of dialer.exe.
lw_assert_eq "1 1 $LW_WIN_DIR\\dialer.exe" "$(tr -d '\r' <"$ext/LarkTally.txt")" "LarkTally.txt"

lw_step "a refused hang-up is told to nobody"
out=$(lw_exec hangup.exe hangup --handle 7 --pump || true)
lw_assert_contains "$out" "RasHangUpA=631"
lw_assert_eq "$expected" "$(calls)" "the notifications after a refused hang-up"

lw_step "each command of the Dodatki menu runs its extension's entry, in the order of loading"
# The tally came first in the folder: its command shows the tally.
lw_driver command TMainForm 1200 >/dev/null
box=$(lw_wait_window_text "#32770" "dozwolone 1, odrzucone 1") || exit 1
lw_assert_contains "$box" "$LW_WIN_DIR\\dialer.exe"
lw_screenshot extension_tally >/dev/null
lw_driver click "#32770" OK >/dev/null || lw_fail "the tally cannot be closed"
lw_driver command TMainForm 1201 >/dev/null
wait_calls "lwtestA entry"
lw_driver command TMainForm 1202 >/dev/null
wait_calls "lwtestB entry"

lw_step "a library copied in while the program runs is loaded at once; a name in other case is not"
store lwtestC "$full"
: >"$log"
cp "$LW_BIN/lwtestext.dll" "$ext/LWTESTA.DLL"
cp "$LW_BIN/lwtestext.dll" "$ext/lwtestC.dll"
wait_calls "lwtestC runonce"
lw_assert_eq 0 "$(calls | grep -ci '^lwtestA runonce')" "run-once calls of a second lwtestA"

lw_stop
lw_assert_eq 0 "$LW_EXIT_CODE" "the program's exit code"
echo "e2e[$LW_SCENARIO]: passed"
