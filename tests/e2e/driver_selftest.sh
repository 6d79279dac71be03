#!/usr/bin/env bash
# The end-to-end harness checks itself, without LarkWatch: lwdriver against the windows and the
# pipe of lwprobe.exe, lwconfig against the registry and the program folder, and lib.sh's
# set-up and clean-up around them.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

# Milliseconds since the epoch.
now_ms() { echo $(($(date +%s%N) / 1000000)); }

lw_step "session id"
session=$(lw_driver session-id)
[[ "$session" =~ ^[0-9]+$ ]] || lw_fail "session-id printed [$session]"

lw_step "a wait for a window that never comes ends at its timeout with exit code 1"
status=0
out=$(lw_driver wait-window LwNoSuchForm --timeout 300) || status=$?
lw_assert_eq 1 "$status" "wait-window's exit code on timeout"
lw_assert_contains "$out" "timeout=LwNoSuchForm"
status=0
lw_driver click LwNoSuchForm Tak --timeout 200 >/dev/null || status=$?
lw_assert_eq 1 "$status" "click's exit code without the window"
lw_assert_status 2 lw_driver no-such-command
lw_assert_status 2 lw_driver wait-window

lw_step "a form: waiting for it, reading its texts"
lw_spawn form lwprobe.exe form
out=$(lw_driver wait-window LwProbeForm LwProbe --visible)
lw_assert_contains "$out" "class=LwProbeForm"
lw_assert_contains "$out" "visible=1"
lw_wait_output form ready
out=$(lw_driver text LwProbeForm)
lw_assert_contains "$out" "LwProbeForm: LwProbe"
lw_assert_contains "$out" "Button: &Tak"
lw_assert_contains "$out" "Button: &Nie"
lw_assert_contains "$out" "Edit: pole"

lw_step "keys reach the form's key preview, as input and posted"
lw_driver key LwProbeForm ESC >"$LW_OUT/key.out"
lw_assert_contains "$(cat "$LW_OUT/key.out")" "method=input"
lw_wait_output form "key=escape"
lw_driver key LwProbeForm RETURN --ctrl >/dev/null
lw_wait_output form "key=ctrl+return"
lw_driver key LwProbeForm RETURN >/dev/null
lw_wait_output form "key=return"
lw_driver key LwProbeForm VK_ESCAPE --post >"$LW_OUT/key.out"
lw_assert_contains "$(cat "$LW_OUT/key.out")" "method=post"
lw_wait_output form "key=escape" 10 2
lw_driver key LwProbeForm 0x0D --ctrl --post >/dev/null
lw_wait_output form "key=ctrl+return" 10 2
lw_assert_eq "ready key=escape key=ctrl+return key=return key=escape key=ctrl+return" \
  "$(lw_spawn_output form | tr '\n' ' ' | sed 's/ $//')" "the keys the form saw, in order"

lw_step "capture: a 24-bit BMP of the form, mostly its red client area"
out=$(lw_driver capture LwProbeForm "$LW_OUT/form.bmp")
lw_assert_contains "$out" "width=320"
lw_assert_contains "$out" "height=200"
lw_assert_eq "BM" "$(head -c 2 "$LW_OUT/form.bmp")" "the BMP's signature"
lw_assert_eq "24" "$(od -An -tu2 -j 28 -N 2 "$LW_OUT/form.bmp" | tr -d ' ')" "bits per pixel"
lw_assert_eq $((54 + 320 * 3 * 200)) "$(stat -c %s "$LW_OUT/form.bmp")" "the BMP's size"
red=$(convert "$LW_OUT/form.bmp" -format %c histogram:info:- | grep -F '#FF0000' |
  awk '{print $1}' | tr -d ':')
[ "${red:-0}" -gt 32000 ] || lw_fail "the capture has ${red:-0} red pixels, expected most of 64000"

lw_step "click: posted, so a click that opens a modal box returns at once"
before=$(now_ms)
out=$(lw_driver click LwProbeForm Nie)
lw_assert_contains "$out" "class=Button"
lw_assert_contains "$out" "text=&Nie"
[ $(($(now_ms) - before)) -lt 5000 ] || lw_fail "click waited for the modal box"
lw_wait_output form "click=Nie"
out=$(lw_driver wait-text "Na pewno?")
lw_assert_contains "$out" "class=#32770"
lw_assert_contains "$out" "control=Static"
lw_assert_contains "$out" "text=Na pewno?"
lw_screenshot driver_selftest-modal >/dev/null
out=$(lw_driver text '#32770')
lw_assert_contains "$out" "#32770: LwProbe"
lw_assert_contains "$out" "Static: Na pewno?"
lw_driver click '#32770' '&Tak' >/dev/null
lw_wait_output form "confirm=yes"
lw_driver wait-gone '#32770' LwProbe >/dev/null || lw_fail "the message box stayed"
lw_driver click LwProbeForm Tak >/dev/null
lw_wait_output form "click=Tak"

lw_step "close with a wParam ends the form"
out=$(lw_driver close LwProbeForm LwProbe --wparam 7)
lw_assert_contains "$out" "wparam=7"
lw_wait_output form "close-wparam=7"
lw_driver wait-gone LwProbeForm >/dev/null || lw_fail "the form stayed after WM_CLOSE"
status=0
lw_wait_spawn form || status=$?
lw_assert_eq 0 "$status" "lwprobe form's exit code"

lw_step "wait-text finds a message box's Polish text with its line break"
text='Już jestem uruchomiony...\r\nZobacz na pasku zadań  :o)'
lw_spawn box lwprobe.exe box "$text" LarkWatch
out=$(lw_driver wait-text "Zobacz na pasku zadań")
lw_assert_contains "$out" "class=#32770"
lw_assert_contains "$out" "control=Static"
lw_assert_contains "$out" "text=$text"
lw_driver wait-window '#32770' LarkWatch --visible >/dev/null || lw_fail "no box LarkWatch"
lw_screenshot driver_selftest-box >/dev/null
lw_driver click '#32770' Nie >/dev/null
lw_wait_output box "answer=no"
lw_driver wait-gone '#32770' LarkWatch >/dev/null || lw_fail "the box stayed"
lw_wait_spawn box || lw_fail "lwprobe box failed"

lw_step "the pipe commands against lwprobe's queue"
queue=LwProbeQueue$session
lw_spawn queue lwprobe.exe pipe "$queue" 4
lw_wait_output queue ready
lw_dial_message "$LW_OUT/dial.bin" 22 5550100
lw_assert_eq 1 "$(lw_driver pipe-send --name "$queue" "$LW_OUT/dial.bin")" "a dial's answer"
printf 'hello' >"$LW_OUT/hello.bin"
lw_assert_eq 0 "$(lw_driver pipe-send --name "$queue" "$LW_OUT/hello.bin")" "a short message's answer"
: >"$LW_OUT/empty.bin"
lw_assert_eq 0 "$(lw_driver pipe-send --name "$queue" "$LW_OUT/empty.bin")" "an empty message's answer"
lw_driver pipe-short --name "$queue" >"$LW_OUT/pipe-short.out" || lw_fail "pipe-short had no answer"
short=$(cat "$LW_OUT/pipe-short.out")
lw_assert_eq $((406 * 2 + 8)) "$(grep -cE '^case=type[123]-short len=[0-9]+ answer=0$' <<<"$short")" \
  "short messages answered 0"
lw_assert_eq 8 "$(grep -cE '^case=unknown-type-[0-9]+ len=[0-9]+ answer=0$' <<<"$short")" \
  "unknown types answered 0"
lw_assert_eq 5 "$(grep -cE '^case=type[123]-(no-nul|no-nul-path|header-only) .* answer=1$' <<<"$short")" \
  "messages without NULs answered 1"
lw_assert_contains "$short" "no-answer=0"
out=$(lw_driver pipe-parallel 16 --name "$queue")
lw_assert_contains "$out" "answered-0=0 answered-1=16 answered-other=0 no-answer=0"
out=$(lw_driver pipe-flood 300 7 --name "$queue")
lw_assert_contains "$out" "messages=300 seed=7"
lw_assert_contains "$out" "answered-other=0 no-answer=0"
[ "$(lw_driver pipe-flood 300 7 --name "$queue")" == "$out" ] || lw_fail "a seed gave other messages"
printf 'quit' >"$LW_OUT/quit.bin"
lw_assert_eq 2 "$(lw_driver pipe-send --name "$queue" "$LW_OUT/quit.bin")" "the quit answer"
lw_wait_spawn queue || lw_fail "lwprobe pipe failed"
before=$(now_ms)
status=0
out=$(lw_driver pipe-send --name "$queue" "$LW_OUT/dial.bin" 2>/dev/null) || status=$?
lw_assert_eq "no-answer 1" "$out $status" "pipe-send without a server"
[ $(($(now_ms) - before)) -lt 5000 ] || lw_fail "pipe-send waited for a server that is not there"

lw_step "lwconfig writes the settings and lists as the options dialog does"
out=$(lw_config --set PDAsk=0 --set Deny=1 --set OnlySafe=1 --set DangerAsk=1 \
  --set DangerAskDiscAfter=1 --set AskDiscAfterTime=5 --set UseAcceleration=0 \
  --set 'DefaultEntry=Mój dostawca' --set X=40 --danger '0-700 *' --danger 0300* \
  --safe 0202122 --permit 'C:\Program Files\ok.exe' --deny 'C:\zły\dialer.exe')
for line in saved=ok PDAsk=0 Deny=1 Permit=0 OnlySafe=1 DangerAsk=1 DangerDoNothing=0 \
  DangerAskDiscAfter=1 DangerWaitFor=0 AskDiscAfterTime=5 UseAcceleration=0 \
  'DefaultEntry=Mój dostawca' X=40 Y=0 run='(absent)' lwda=0700\* lwda=0300\* lwsa=0202122 \
  'lwp=C:\Program Files\ok.exe' 'lwd=C:\zły\dialer.exe'; do
  grep -qxF -- "$line" <<<"$out" || lw_fail "lwconfig did not print [$line]; it printed:"$'\n'"$out"
done
reg=$(lw_reg query 'HKCU\Software\LarkWatch')
for value in PDAsk Deny OnlySafe DangerAsk AskDiscAfterTime UseAcceleration CRCreg CRClwda \
  CRClwsa CRClwp CRClwd; do
  grep -qE "^ +$value +REG_DWORD +0x[0-9a-f]+$" <<<"$reg" || lw_fail "no DWORD $value:"$'\n'"$reg"
done
grep -qE '^ +PDAsk +REG_DWORD +0x0$' <<<"$reg" || lw_fail "PDAsk is not 0:"$'\n'"$reg"
grep -qE '^ +AskDiscAfterTime +REG_DWORD +0x5$' <<<"$reg" || lw_fail "AskDiscAfterTime:"$'\n'"$reg"
# reg.exe prints in the console's code page, not UTF-8: the "ó" is left out of the comparison
# (lwconfig's own read-back above showed it).
LC_ALL=C grep -qaE '^ +DefaultEntry +REG_SZ +M.+j dostawca$' <<<"$reg" || lw_fail "DefaultEntry:"$'\n'"$reg"
lw_assert_eq "05 30 37 30 30 2a 05 30 33 30 30 2a" \
  "$(od -An -tx1 "$LW_DIR/lwda.dat" | xargs)" "the danger list file"
lw_assert_eq "07 30 32 30 32 31 32 32" "$(od -An -tx1 "$LW_DIR/lwsa.dat" | xargs)" \
  "the safe list file"
# The deny list holds the path in the ANSI code page 1250: "ł" is 0xB3.
lw_assert_contains "$(od -An -tx1 "$LW_DIR/lwd.dat" | xargs)" "11 43 3a 5c 7a b3 79 5c" \
  "the deny list file"

lw_step "the start-up load finds the written settings quiet, and notices changes"
out=$(lw_config --verify)
lw_assert_contains "$out" "verify=ok"
lw_reg add 'HKCU\Software\LarkWatch' /v PDAsk /t REG_DWORD /d 1 /f >/dev/null
status=0
out=$(lw_config --verify) || status=$?
lw_assert_eq 1 "$status" "verify's exit code after a value was changed"
lw_assert_contains "$out" "message="
lw_assert_contains "$out" "verify=failed"
lw_config --keep >/dev/null
lw_assert_contains "$(lw_config --verify)" "verify=ok"
printf '\x05' >>"$LW_DIR/lwsa.dat"
status=0
out=$(lw_config --verify) || status=$?
lw_assert_eq 1 "$status" "verify's exit code after a list file was changed"
lw_assert_contains "$out" "verify=failed"

lw_step "lwconfig refuses what the dialog refuses, and writes the autorun value"
lw_config --clear >/dev/null
lw_assert_status 2 lw_config --set OnlySafe=1
lw_assert_status 2 lw_config --set DangerAsk=1 --safe 0202122
lw_assert_status 2 lw_config --set NoSuchSetting=1
lw_assert_status 2 lw_config --set PDAsk=maybe
lw_assert_status 2 lw_config --danger '--'
out=$(lw_config --set AutoRun=1 --safe 0202122 --verify)
lw_assert_contains "$out" "run=$LW_WIN_DIR\\larkwatch.exe"
lw_assert_contains "$out" "verify=ok"
status=0
out=$(lw_config --clear --verify) || status=$?
lw_assert_eq 1 "$status" "verify's exit code without lists"
lw_assert_contains "$out" "first-run-question=1"

lw_step "lwconfig --clear removes the key, the autorun value and the lists"
lw_config --set AutoRun=1 --safe 0202122 --permit 'C:\ok.exe' >/dev/null
out=$(lw_config --clear)
lw_assert_contains "$out" 'cleared-key=HKCU\Software\LarkWatch'
lw_assert_contains "$out" "cleared-run-value=LarkWatch"
lw_assert_status 1 lw_reg query 'HKCU\Software\LarkWatch'
lw_assert_status 1 lw_reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v LarkWatch
for list in lwda lwsa lwp lwd; do
  [ ! -e "$LW_DIR/$list.dat" ] || lw_fail "$list.dat is still there"
done
lw_config --clear >/dev/null || lw_fail "clearing twice failed"

lw_step "lw_unix_path"
lw_assert_eq "$LW_DIR/logs.txt" "$(lw_unix_path "$LW_WIN_DIR\\logs.txt")"
lw_assert_eq "$WINEPREFIX/dosdevices/z:/tmp/x" "$(lw_unix_path 'Z:\tmp\x')"
