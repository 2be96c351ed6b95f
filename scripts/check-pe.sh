#!/usr/bin/env bash
# Checks that Windows binaries are PE files of the expected machine and import
# no mingw runtime DLL (the runtime is linked statically).
# check-pe.sh <win32|win64> <file>...
set -euo pipefail
arch=$1; shift
case $arch in
  win32) want="pei-i386"; objdump=i686-w64-mingw32-objdump ;;
  win64) want="pei-x86-64"; objdump=x86_64-w64-mingw32-objdump ;;
esac
fail=0
for f in "$@"; do
  fmt=$($objdump -f "$f" | sed -n 's/.*file format \(.*\)/\1/p')
  if [ "$fmt" != "$want" ]; then echo "FAIL $f: format $fmt, want $want"; fail=1; continue; fi
  dlls=$($objdump -p "$f" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
  bad=$(printf '%s\n' "$dlls" | grep -E '^(libgcc|libstdc|libwinpthread|mingw)' || true)
  if [ -n "$bad" ]; then echo "FAIL $f imports $bad"; fail=1; continue; fi
  echo "ok   $f ($fmt; imports: $(printf '%s ' $dlls))"
done
exit $fail
