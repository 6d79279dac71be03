#!/usr/bin/env bash
# Installs what is missing, builds every preset, and runs every test in one ctest run:
# the format check, the native tests (AddressSanitizer and UBSan), and the Windows tests under
# Wine. Ends with ctest's summary line and leaves no Wine or X process behind.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

"$root/scripts/setup.sh"
source "$root/scripts/wine-env.sh"
trap 'lw_wine_stop; lw_display_stop' EXIT
# Windows tests and end-to-end scenarios draw on a private X display; the Wine session starts
# after it and before the build, because discovering the Windows tests starts them.
lw_display_start
lw_wine_stop  # a session left running may have started without this display
lw_wine_prepare

"$root/scripts/build.sh" native win64 win32 bench fuzz

# One ctest tree over the builds whose tests run here (32-bit programs cannot start here).
all="$root/build/all"
mkdir -p "$all"
cat >"$all/CTestTestfile.cmake" <<CTEST
add_test(format-check "$root/scripts/check-format.sh")
subdirs("$root/build/native")
subdirs("$root/build/win64")
CTEST
# Each parser's fuzz target runs for a short, fixed time with a fixed seed.
for target in "$root"/build/fuzz/fuzz/*_fuzz; do
  name=$(basename "$target")
  echo "add_test(fuzz.$name \"$target\" -seed=1 -max_total_time=${LW_FUZZ_SECONDS:-10} -print_final_stats=1)" \
    >>"$all/CTestTestfile.cmake"
done
# The end-to-end scenarios, one at a time: the real program, the hook library and dialer.exe.
"$root/tests/e2e/register.sh" >>"$all/CTestTestfile.cmake"

cd "$all"
ctest -j "${LW_JOBS:-$(nproc)}" --output-on-failure --timeout 300 "$@"
