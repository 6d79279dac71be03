#!/usr/bin/env bash
# The program update against the maker's service on loopback (lwserver): an accepted connection
# on the simulated line starts the update check; the dial parameters are stored; the new version
# is announced and downloaded. A download cut short by closing the program leaves the part and
# its version marker, and the next run resumes where it stopped, checks the whole file and starts
# the installer minimised. A download signed with another key, and a tampered part of the offered
# version, are deleted and never started.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

[ -f "$LW_BIN/lwinstaller.exe" ] || lw_fail "$LW_BIN/lwinstaller.exe is missing"
OTHER_KEY="$LW_ROOT/tests/keys/other-private.pem"

# The service's content: the test installer with 200000 bytes of ballast behind it (a program
# runs with data appended), version 0.2.0, and the dial parameters.
content="$LW_OUT/service"
installer="$content/update/larkwatch.exe"
mkdir -p "$content/update" "$content/dialparams"
{
  cat "$LW_BIN/lwinstaller.exe"
  { yes LarkWatch || true; } | head -c 200000
} >"$installer"
echo 0.2.0 >"$content/update/version.txt"
printf 'number=0202122\nuser=lark\npassword=watch\n' >"$content/dialparams/default.txt"

size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
# The largest temporary answer file of the running program (the update copy's prefix).
spool_size() {
  local largest=0 file size
  while IFS= read -r file; do
    size=$(size_of "$file")
    [ "$size" -le "$largest" ] || largest=$size
  done < <(find "$WINEPREFIX/drive_c/users" -iname 'lwu*.tmp' 2>/dev/null)
  echo "$largest"
}
part_holds() { [ "$(size_of "$LW_DIR/lwupd.dat")" -ge "$1" ]; }
logged() { lw_service_log | grep -q -- "$1"; }
gone() { [ ! -e "$LW_DIR/lwupd.dat" ] && [ ! -e "$LW_DIR/lwupdv.dat" ]; }
installer_ran() { [ -s "$LW_DIR/installer.txt" ]; }
# marker_is TEXT: lwupdv.dat holds TEXT (with \0 for a zero byte).
marker_is() { cmp -s "$LW_DIR/lwupdv.dat" <(printf '%b' "$1"); }

# connect: a connection on the simulated line to a number on no list, which the program
# accepts (its notice may give way to the update's at once).
connect() {
  lw_line drop --all >/dev/null
  lw_line connect --entry Dom >/dev/null || lw_fail "linectl connect failed"
  lw_line wait-connections 1 >/dev/null || lw_fail "the connection did not come up"
}

lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
lw_line add Dom --number 7654321 --area 22 --country 48 >/dev/null || lw_fail "linectl add failed"

lw_step "an accepted connection starts the update check; the download stalls midway"
lw_service_start "$content" "$LW_TEST_KEY" --stall-after 100000
lw_start
connect
lw_wait_for "the dial parameters request" logged 'give=dialparams'
lw_driver wait-text "Jest nowa wersja (0.2.0) LarkWatch" --visible --timeout 15000 >/dev/null ||
  lw_fail "no notice of the new version: $(lw_driver text TInfoForm)"
lw_screenshot update_notice >/dev/null
stored=$(lw_reg query 'HKCU\Software\LarkWatch')
lw_assert_contains "$stored" "LWNo    REG_SZ    0202122"
lw_assert_contains "$stored" "LWUser    REG_SZ    lark"
lw_assert_contains "$stored" "LWPass    REG_SZ    watch"
# The content goes to lwupd.dat as it arrives.
lw_wait_for "the first 100000 bytes reach lwupd.dat" part_holds 100000

lw_step "closing the program ends the stalled download and keeps its part and version marker"
lw_stop
lw_assert_eq 100000 "$(size_of "$LW_DIR/lwupd.dat")" "size of the part"
cmp -s -n 100000 "$LW_DIR/lwupd.dat" "$installer" || lw_fail "the part differs from the file"
marker_is '0.2.0\0\0\0\0\0' || lw_fail "lwupdv.dat is $(od -An -c "$LW_DIR/lwupdv.dat")"
[ ! -e "$LW_DIR/installer.txt" ] || lw_fail "the installer ran from a part"
[ "$(spool_size)" = 0 ] || lw_fail "a temporary answer file is left"
lw_service_stop

lw_step "the next run resumes at the stored size, checks the whole file and starts it minimised"
lw_service_start "$content" "$LW_TEST_KEY"
lw_start
connect
lw_wait_for "the installer" installer_ran
lw_assert_contains "$(lw_service_log)" "resume=100000"
cmp -s "$LW_DIR/lwupd.dat" "$installer" || lw_fail "lwupd.dat is not the whole file"
lw_assert_contains "$(cat "$LW_DIR/installer.txt")" "ran minimised=1"
lw_stop
lw_service_stop

lw_step "a version signed with another key is deleted and not started"
rm -f "$LW_DIR/installer.txt"
echo 0.3.0 >"$content/update/version.txt"
lw_service_start "$content" "$OTHER_KEY"
lw_start
connect
lw_wait_for "the download of 0.3.0 from the start" logged "resume=0"
lw_wait_for "the download deleted" gone
[ ! -e "$LW_DIR/installer.txt" ] || lw_fail "an installer signed with another key ran"
lw_stop
lw_service_stop

lw_step "a tampered part of the offered version fails the checksum and goes"
{
  printf 'N'
  head -c 1000 "$installer" | tail -c +2
} >"$LW_DIR/lwupd.dat"
printf '0.3.0\0\0\0\0\0' >"$LW_DIR/lwupdv.dat"
lw_service_start "$content" "$LW_TEST_KEY"
lw_start
connect
lw_wait_for "the download resumed after the tampered part" logged "resume=1000"
lw_wait_for "the download deleted" gone
[ ! -e "$LW_DIR/installer.txt" ] || lw_fail "an installer with a wrong checksum ran"
lw_stop
lw_service_stop
echo "e2e[$LW_SCENARIO]: passed"
