#!/usr/bin/env bash
# Stop request to SERVICE_STOPPED under Wine: KARVOService (no plug-ins, no
# update server) against a bare service that only reports its states.
#   bench/service_stop_bench.sh <windows build folder> [rounds]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
rounds=${2:-10}
. "$src/scripts/wine-env.sh" "$build/wineprefix" "$(cat "$build/wineprefix/.karvo-arch")"
wine_() { "$KARVO_WINE" "$@" </dev/null 2>/dev/null; }
dir=$build/bench-stop
rm -rf "$dir" && mkdir -p "$dir"
cp "$build/KARVOService.exe" "$dir/"
printf '[Update]\r\nServer=http://127.0.0.1:9\r\n' > "$dir/server.ini"
cleanup() {
  for s in KARVOService KARVOBenchBare; do wine_ sc stop $s >/dev/null || true; wine_ sc delete $s >/dev/null || true; done
}
trap cleanup EXIT
cleanup
wine_ "$dir/KARVOService.exe" /INSTALL /SILENT || true
wine_ sc create KARVOBenchBare binPath= "$(printf 'Z:%s' "$build/restarter/scm_test_service.exe" | tr '/' '\\')" >/dev/null
"$KARVO_WINE" "$build/bench/service_stop_bench.exe" "$rounds" KARVOService KARVOBenchBare </dev/null 2>/dev/null
