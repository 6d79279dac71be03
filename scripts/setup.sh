#!/usr/bin/env bash
# Installs what building and testing LarkWatch needs on Debian 12, only what is missing.
# Safe to run again: it does nothing when everything is in place.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang-format
  googletest libgtest-dev libgmock-dev libbenchmark-dev libssl-dev
  g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  clang libclang-rt-14-dev
  wine wine64 xvfb xauth fonts-wine imagemagick x11-utils xdotool locales curl
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" != 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq >/dev/null
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The -posix MinGW variants carry std::thread and std::mutex; make sure they are the ones found.
for c in x86_64-w64-mingw32-g++-posix i686-w64-mingw32-g++-posix x86_64-w64-mingw32-gcc-posix i686-w64-mingw32-gcc-posix; do
  command -v "$c" >/dev/null || { echo "setup: $c is missing after installation" >&2; exit 1; }
done
[ -x /usr/lib/wine/wine64 ] || { echo "setup: /usr/lib/wine/wine64 is missing after installation" >&2; exit 1; }
