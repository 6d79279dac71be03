#!/usr/bin/env bash
# Runs every fuzz target for a while (default 60 s each): scripts/fuzz.sh [seconds]
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/build.sh" fuzz
for target in "$root"/build/fuzz/fuzz/*_fuzz; do
  echo "fuzz: $(basename "$target")"
  "$target" -max_total_time="${1:-60}" -print_final_stats=1 2>&1 | tail -n 3
done
