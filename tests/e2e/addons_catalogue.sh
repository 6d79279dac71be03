#!/usr/bin/env bash
# The add-on catalogue against the maker's service on loopback (lwserver): the window shows the
# catalogue's folders and items with the add-ons of todolist.txt ticked; "&Pobierz" (Ctrl+Enter)
# writes exactly the ticked ones and installs them. A download cut short by closing the program
# is resumed by the next installation; both add-ons end up in "extensions" with their checksums
# stored, todolist.txt is deleted, and the extension loads at once. An add-on signed with another
# key, and a tampered part of an add-on, are deleted after the download and stay pending.
# shellcheck source-path=SCRIPTDIR source=lib.sh
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
lw_e2e_setup

service_content="$LW_BIN/../service/addons/Narzedzia"
for file in "$LW_BIN/lwtestext.dll" "$service_content/LarkTally.dll"; do
  [ -f "$file" ] || lw_fail "$file is missing"
done
OTHER_KEY="$LW_ROOT/tests/keys/other-private.pem"
ADDONS_SCAN=1004  # the "Pokaż listę" command

# The catalogue: the dial tally and a test extension at the root, and a folder of more.
content="$LW_OUT/service"
mkdir -p "$content/addons/Testy" "$content/addons/Narzedzia"
cp "$service_content"/LarkTally.* "$content/addons/"
cp "$LW_BIN/lwtestext.dll" "$content/addons/lwtestA.dll"
echo "Test A" >"$content/addons/lwtestA.txt"
cp "$LW_BIN/lwtestext.dll" "$content/addons/lwtestC.dll"
echo "Test C" >"$content/addons/lwtestC.txt"
cp "$LW_BIN/lwtestext.dll" "$content/addons/Testy/lwtestB.dll"

log="$LW_OUT/extensions.log"
export LWTESTEXT_LOG="Z:${log//\//\\}"
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
logged() { lw_service_log | grep -q -- "$1"; }
todo() { tr -d '\r' <"$LW_DIR/todolist.txt" 2>/dev/null | tr '\n' ' '; }
part_holds() { [ "$(size_of "$LW_DIR/tmp/LarkTally~upd.dat")" -ge "$1" ]; }
no_todolist() { [ ! -e "$LW_DIR/todolist.txt" ]; }
gone() { [ ! -e "$LW_DIR/tmp/$1~upd.dat" ] && [ ! -e "$LW_DIR/tmp/$1~updv.dat" ]; }
extension_logged() { grep -q -- "$1" "$log" 2>/dev/null; }
stored() { lw_reg query 'HKCU\Software\LarkWatch\Extensions' /v "$1" 2>/dev/null | grep -o '0x[0-9a-f]*'; }

# catalogue_download: opens the catalogue, waits for the root's items, and presses Ctrl+Enter.
catalogue_download() {
  lw_driver command TMainForm "$ADDONS_SCAN" >/dev/null
  lw_driver wait-window TAddonsForm --visible --timeout 15000 >/dev/null ||
    lw_fail "the catalogue window did not open"
  items_shown() { lw_driver count TAddonsForm | grep -q '^list=3$'; }
  lw_wait_for "the root's three items in the list" items_shown
  [ -z "${1:-}" ] || lw_screenshot "$1" >/dev/null
  lw_driver key TAddonsForm RETURN --ctrl >/dev/null
  lw_driver wait-gone TAddonsForm --visible --timeout 10000 >/dev/null ||
    lw_fail "Ctrl+Enter left the catalogue open"
}

lw_config --danger '0700*' --set PDAsk=0 >/dev/null || lw_fail "lwconfig failed"
# Two of the root's add-ons were chosen earlier; another name that the catalogue shown does not
# hold is dropped when the list is written again.
printf 'lwtestA\r\nLarkTally\r\nElsewhere\r\n' >"$LW_DIR/todolist.txt"

lw_step "the catalogue shows its folders and items; Ctrl+Enter writes the ticked ones"
lw_service_start "$content" "$LW_TEST_KEY" --stall-after 30000
lw_start
catalogue_download addons_catalogue
lw_assert_eq "LarkTally lwtestA " "$(todo)" "todolist.txt"
lw_assert_contains "$(lw_driver count TAddonsForm)" "tree=3"

lw_step "the first download stalls; closing the program keeps its part and version marker"
lw_wait_for "the part of LarkTally" part_holds 30000
lw_stop
lw_assert_eq 30000 "$(size_of "$LW_DIR/tmp/LarkTally~upd.dat")" "size of the part"
cmp -s <(printf '%b' "$(head -n 1 "$content/addons/LarkTally.ver" | tr -d '\r')\\0\\0\\0\\0\\0\\0\\0\\0\\0\\0" | head -c 10) \
  "$LW_DIR/tmp/LarkTally~updv.dat" || lw_fail "the marker is $(od -An -c "$LW_DIR/tmp/LarkTally~updv.dat")"
[ ! -e "$LW_DIR/extensions/LarkTally.dll" ] || lw_fail "an add-on was installed from a part"
lw_assert_eq "LarkTally lwtestA " "$(todo)" "todolist.txt after the stop"
lw_service_stop

lw_step "the next installation resumes, installs both, stores their checksums, loads the extension"
lw_service_start "$content" "$LW_TEST_KEY"
lw_start
catalogue_download
lw_wait_for "both installed and todolist.txt deleted" no_todolist
lw_assert_contains "$(lw_service_log)" "resume=30000"
cmp -s "$content/addons/LarkTally.dll" "$LW_DIR/extensions/LarkTally.dll" || lw_fail "LarkTally.dll differs"
cmp -s "$content/addons/lwtestA.dll" "$LW_DIR/extensions/lwtestA.dll" || lw_fail "lwtestA.dll differs"
for name in LarkTally lwtestA; do
  expected=$(curl -s --data-binary "give=regno&ext=$name" "http://$LARKWATCH_SERVICE/addons.php" |
    sed -n 's/^regno=//p')
  lw_assert_eq "$(printf '0x%x' $(((expected + 4294967296) % 4294967296)))" "$(stored "$name")" \
    "the stored checksum of $name"
done
lw_wait_for "the installed test extension loaded" extension_logged "lwtestA runonce"
lw_stop
lw_service_stop

lw_step "an add-on signed with another key is deleted after its download and stays pending"
printf 'lwtestC\r\n' >"$LW_DIR/todolist.txt"
lw_service_start "$content" "$OTHER_KEY"
lw_start
catalogue_download
lw_wait_for "the download of lwtestC" logged "give=file resume=0"
lw_wait_for "its part and marker deleted" gone lwtestC
[ ! -e "$LW_DIR/extensions/lwtestC.dll" ] || lw_fail "an add-on signed with another key was installed"
lw_assert_eq "lwtestC " "$(todo)" "todolist.txt"
lw_assert_not_contains "$(lw_service_log)" "give=regno"
lw_stop
lw_service_stop

lw_step "a tampered part of the offered version fails the checksum and stays pending"
mkdir -p "$LW_DIR/tmp"
{
  printf 'N'
  head -c 1000 "$content/addons/lwtestC.dll" | tail -c +2
} >"$LW_DIR/tmp/lwtestC~upd.dat"
printf '1.0\0\0\0\0\0\0\0' >"$LW_DIR/tmp/lwtestC~updv.dat"
lw_service_start "$content" "$LW_TEST_KEY"
lw_start
catalogue_download
lw_wait_for "the download resumed after the tampered part" logged "give=file resume=1000"
lw_wait_for "its part and marker deleted" gone lwtestC
[ ! -e "$LW_DIR/extensions/lwtestC.dll" ] || lw_fail "an add-on with a wrong checksum was installed"
lw_assert_eq "lwtestC " "$(todo)" "todolist.txt"
lw_stop
lw_service_stop
echo "e2e[$LW_SCENARIO]: passed"
