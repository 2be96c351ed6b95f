#!/usr/bin/env bash
# Creates (once) the Wine prefix the Windows tests and the demo run in.
# wine-prefix.sh <prefix> [win32|win64]
set -euo pipefail
prefix=$1
arch=${2:-win32}
[ -f "$prefix/.karvo-ready" ] && exit 0
rm -rf "$prefix"
mkdir -p "$(dirname "$prefix")"
. "$(dirname "$0")/wine-env.sh" "$prefix" "$arch"
"$KARVO_WINE" wineboot --init >/dev/null 2>&1 || true
wineserver -w
[ -f "$prefix/system.reg" ] || { echo "wine-prefix: could not create $prefix" >&2; exit 1; }
echo "$arch" > "$prefix/.karvo-arch"
touch "$prefix/.karvo-ready"
