#!/usr/bin/env bash
# Configures and builds the given presets (default: all of them).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native win64 win32 bench)
jobs=${LW_JOBS:-$(nproc)}
for preset in "${presets[@]}"; do
  echo "build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done
