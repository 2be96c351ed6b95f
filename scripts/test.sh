#!/usr/bin/env bash
# Installs what is missing, builds every configuration and runs the whole test
# suite: natively, with sanitizers, the Windows build under Wine, and a short
# run of each fuzz target. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

bash scripts/setup.sh

step() { printf '\n==== %s\n' "$*"; }

# Ends the Wine servers of our prefixes, whatever happens.
cleanup() {
  for p in build/win32/wineprefix build/win64/wineprefix; do
    [ -d "$p" ] && WINEPREFIX=$root/$p wineserver -k >/dev/null 2>&1 || true
  done
}
trap cleanup EXIT

build() {
  step "configure and build: $1"
  cmake --preset "$1" >/dev/null
  cmake --build --preset "$1"
}

build linux
step "tests: native"
ctest --preset linux

build linux-asan
step "tests: native with AddressSanitizer and UndefinedBehaviorSanitizer"
ctest --preset linux-asan

build linux-tsan
step "tests: native with ThreadSanitizer (races)"
ctest --preset linux-tsan

# The product is the 32-bit build. Where the kernel cannot run 32-bit programs
# (no 32-bit Wine), its binaries are checked as files and the Windows tests run
# on the 64-bit build of the same sources under 64-bit Wine.
build win32
step "tests: win32 (product checks; Wine tests where 32-bit Wine runs)"
ctest --preset win32
if ! grep -q '^KARVO_WINE_TESTS:BOOL=ON' build/win32/CMakeCache.txt; then
  build win64
  step "tests: Windows build under Wine (win64)"
  ctest --preset win64
fi

build fuzz
step "fuzz targets: short smoke runs"
for f in build/fuzz/fuzz/*; do
  [ -x "$f" ] || continue
  "$f" -max_total_time=5 -print_final_stats=0 >/tmp/karvo-fuzz.log 2>&1 || { cat /tmp/karvo-fuzz.log; exit 1; }
  echo "ok   $(basename "$f")"
done

step "all tests passed"
