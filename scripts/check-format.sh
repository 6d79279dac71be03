#!/usr/bin/env bash
# Fails when a C or C++ file of the project is not formatted as .clang-format says.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  mapfile -t files < <(git ls-files --cached --others --exclude-standard -- \
    '*.h' '*.hpp' '*.c' '*.cpp' | while read -r f; do [ -f "$f" ] && echo "$f"; done)
else
  mapfile -t files < <(find src tests bench tools hooklib server fuzz sdk -name '*.[ch]' -o -name '*.[ch]pp' 2>/dev/null)
fi
[ ${#files[@]} -gt 0 ] || { echo "check-format: no files"; exit 0; }
clang-format --dry-run --Werror "${files[@]}"
echo "check-format: ${#files[@]} files formatted"
