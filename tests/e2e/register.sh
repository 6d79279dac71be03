#!/usr/bin/env bash
# Prints the ctest lines of the end-to-end scenarios: every tests/e2e/*.sh other than lib.sh and
# this file, as e2e.NAME, one at a time (they share the e2e Wine prefix and the display), each
# bounded to 300 s. The test command appends the output to the aggregate CTestTestfile:
#   tests/e2e/register.sh >>build/all/CTestTestfile.cmake
set -euo pipefail
dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for script in "$dir"/*.sh; do
  name=$(basename "$script" .sh)
  case "$name" in
    lib | register) continue ;;
  esac
  echo "add_test(e2e.$name bash \"$script\")"
  echo "set_tests_properties(e2e.$name PROPERTIES RESOURCE_LOCK e2e TIMEOUT 300)"
done
