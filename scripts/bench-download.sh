#!/usr/bin/env bash
# Measures, in one run, a 64 MiB download from the update service on loopback: the program's own
# client under Wine (lwfetch.exe: the form-post client, its Winsock connection and answer file,
# the content appended to a file) against curl on the same machine, each the median of three;
# and the client's peak memory for a 4 MiB and a 64 MiB file, which must not grow with the file.
# Usage: scripts/bench-download.sh
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
"$root/scripts/build.sh" win64 bench >/dev/null
source "$root/scripts/wine-env.sh"
server="$root/build/bench/server/lwserver"
fetch="$root/build/win64/bin/lwfetch.exe"

work="$root/build/bench-download"
rm -rf "$work"
mkdir -p "$work/content/update"
server_pid=""
cleanup() {
  [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true
  lw_wine_stop
  lw_display_stop
  rm -rf "$work"
}
trap cleanup EXIT
lw_display_start
lw_wine_prepare
echo 9.9 >"$work/content/update/version.txt"

# serve MIB: the service offers a file of MIB MiB; its address goes to $address.
serve() {
  [ -z "$server_pid" ] || { kill "$server_pid"; wait "$server_pid" 2>/dev/null || true; }
  head -c "$(($1 * 1024 * 1024))" /dev/urandom >"$work/content/update/larkwatch.exe"
  "$server" --root "$work/content" --listen 127.0.0.1:0 --key "$root/tests/keys/update-test-private.pem" \
    --quiet >"$work/server.out" 2>&1 &
  server_pid=$!
  for _ in $(seq 1 50); do
    address=$(sed -n 's/^lwserver: listening on //p' "$work/server.out")
    [ -z "$address" ] || return 0
    sleep 0.1
  done
  echo "bench: lwserver did not start: $(cat "$work/server.out")" >&2
  exit 1
}

body="give=file&name=larkwatch&country=Poland&language=Poland&version=0&resume=0"
median() { sort -g | sed -n 2p; }

# client: one download by lwfetch.exe; prints its line (bytes, seconds, peak memory).
client() {
  "$root/scripts/wine-run.sh" "$fetch" "$address" "Z:${work//\//\\}\\client.dat" | tr -d '\r'
  cmp -s "$work/client.dat" "$work/content/update/larkwatch.exe" ||
    { echo "bench: the client's file differs from the service's" >&2; exit 1; }
}

serve 64
curl_seconds=$(for _ in 1 2 3; do
  curl -s -o "$work/curl.dat" -w '%{time_total}\n' --data "$body" "http://$address/lwupd.php"
done | median)
cmp -s "$work/curl.dat" "$work/content/update/larkwatch.exe" ||
  { echo "bench: curl's file differs from the service's" >&2; exit 1; }
runs=$(for _ in 1 2 3; do client; done)
client_seconds=$(sed 's/.*seconds=\([0-9.]*\).*/\1/' <<<"$runs" | median)
peak_64=$(sed 's/.*peak_private_kib=\([0-9]*\).*/\1/' <<<"$runs" | sort -n | tail -n 1)
serve 4
peak_4=$(client | sed 's/.*peak_private_kib=\([0-9]*\).*/\1/')

awk -v c="$curl_seconds" -v l="$client_seconds" -v p4="$peak_4" -v p64="$peak_64" 'BEGIN {
  printf "bench: 64 MiB over loopback: curl %.3f s (%.0f MiB/s), client under Wine %.3f s (%.0f MiB/s)\n", c, 64 / c, l, 64 / l
  printf "bench: throughput ratio client/curl %.2f (goal >= 0.7)\n", c / l
  printf "bench: client peak private memory %d KiB for 4 MiB, %d KiB for 64 MiB\n", p4, p64
}'
# The memory must not follow the file: 60 MiB more content may cost at most 2 MiB more.
if [ "$peak_64" -gt $((peak_4 + 2048)) ]; then
  echo "bench: the client's memory grows with the file" >&2
  exit 1
fi
