#!/usr/bin/env bash
# The main job on embedded defaults: builds the product and runs the road of
# one update under Wine — the service installed with its backup plug-in
# against the stand-in SQL Server, an update offered by a local update server,
# staged, installed by the restarter, and the service running the new plug-in.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh

echo "== building the product (32-bit Windows, build/win32)"
cmake --preset win32 >/dev/null
cmake --build --preset win32 >/dev/null
# Where the kernel cannot run 32-bit programs, Wine runs the 64-bit build of the same sources.
build=build/win32
if ! grep -q '^KARVO_WINE_TESTS:BOOL=ON' build/win32/CMakeCache.txt; then
  echo "   (this machine cannot run 32-bit programs: the demo runs the 64-bit build, build/win64)"
  cmake --preset win64 >/dev/null
  cmake --build --preset win64 >/dev/null
  build=build/win64
fi
trap '[ -d "$root/$build/wineprefix" ] && WINEPREFIX=$root/$build/wineprefix wineserver -k >/dev/null 2>&1 || true' EXIT
bash scripts/road.sh "$build"
