#!/usr/bin/env bash
# Runs a Windows program under Wine in the prefix of the build tree it belongs to.
# KARVO_WINEPREFIX overrides the prefix; otherwise the nearest parent folder of the
# program that holds a "wineprefix" is used.
set -euo pipefail
exe=$1; shift
if [ -z "${KARVO_WINEPREFIX:-}" ]; then
  d=$(cd "$(dirname "$exe")" && pwd)
  while [ "$d" != "/" ] && [ ! -d "$d/wineprefix" ]; do d=$(dirname "$d"); done
  KARVO_WINEPREFIX=$d/wineprefix
fi
arch=$(cat "$KARVO_WINEPREFIX/.karvo-arch" 2>/dev/null || echo win32)
. "$(dirname "$0")/wine-env.sh" "$KARVO_WINEPREFIX" "$arch"
# Keep the prefix's server and its system processes (services, explorer) alive
# between the many short test runs. They are started here with no inherited
# output, so that a caller waiting for the program's output to close (CTest)
# does not wait for them.
wineserver -p 60 </dev/null >/dev/null 2>&1 || true
"$KARVO_WINE" cmd /c exit </dev/null >/dev/null 2>&1 || true
exec "$KARVO_WINE" "$exe" "$@"
