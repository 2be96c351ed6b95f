#!/usr/bin/env bash
# GetFileMD5 against md5sum and openssl, and a TDownloaderThread download over
# loopback against curl, on the same file in the same run, with the peak
# memory of each (/usr/bin/time -v). Not part of the tests.
#
#   bench/md5_bench.sh BUILD_DIR [SIZE_MIB]     (default 1024 MiB)
set -euo pipefail
build=${1:?usage: md5_bench.sh BUILD_DIR [SIZE_MIB]}
mib=${2:-1024}
src=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/karvo-md5-bench.XXXXXX")
state=$work/state
trap 'python3 "$src/tests/fixtures/update_server.py" --stop --state "$state" >/dev/null 2>&1 || true; rm -rf "$work"' EXIT

mkdir -p "$work/root" "$state"
echo "Writing $mib MiB of random data..."
head -c $((mib * 1024 * 1024)) /dev/urandom > "$work/root/big.bin"
bytes=$(stat -c %s "$work/root/big.bin")

# run NAME COMMAND...: prints seconds, MiB/s and peak resident memory.
declare -A seconds
run() {
  local name=$1; shift
  local log=$work/time.log
  /usr/bin/time -v "$@" > "$work/out.txt" 2> "$log"
  local wall rss
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {print $2}' "$log" | awk -F: '{ if (NF == 3) print $1*3600+$2*60+$3; else print $1*60+$2 }')
  rss=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$log")
  seconds[$name]=$wall
  awk -v n="$name" -v w="$wall" -v b="$bytes" -v r="$rss" -v d="$(head -c 32 "$work/out.txt")" \
    'BEGIN { printf "%-22s %8.2f s %9.1f MiB/s  peak %7.1f MiB  %s\n", n, w, (w > 0 ? b / 1048576 / w : 0), r / 1024, d }'
}
ratio() { awk -v a="${seconds[$1]}" -v b="${seconds[$2]}" -v n1="$1" -v n2="$2" 'BEGIN { if (b > 0) printf "%s / %s time ratio: %.2f\n", n1, n2, a / b }'; }

echo "MD5 of $mib MiB:"
run GetFileMD5 "$build/bench/md5_file" "$work/root/big.bin"
run md5sum md5sum "$work/root/big.bin"
run "openssl dgst -md5" openssl dgst -md5 -r "$work/root/big.bin"
ratio GetFileMD5 md5sum
ratio GetFileMD5 "openssl dgst -md5"

python3 "$src/tests/fixtures/update_server.py" --daemon --root "$work/root" --state "$state"
url="http://127.0.0.1:$(cat "$state/port")/big.bin"
echo "Download of $mib MiB over loopback to disk:"
run TDownloaderThread "$build/bench/download_file" "$url" "$work/dl-karvo.bin"
rm -f "$work/dl-karvo.bin"
run curl curl -sS -o "$work/dl-curl.bin" "$url"
rm -f "$work/dl-curl.bin"
ratio TDownloaderThread curl
