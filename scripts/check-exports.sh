#!/usr/bin/env bash
# Checks the export tables of plug-in DLLs: each exports exactly "_Execute",
# or nothing at all when preceded by --none.
# check-exports.sh <win32|win64> [--none] <dll>...
set -euo pipefail
case $1 in
  win32) objdump=i686-w64-mingw32-objdump ;;
  win64) objdump=x86_64-w64-mingw32-objdump ;;
esac
shift
fail=0 want=_Execute
for f in "$@"; do
  if [ "$f" = --none ]; then want=; continue; fi
  names=$($objdump -p "$f" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ' | sed 's/ $//')
  if [ "$names" = "$want" ]; then echo "ok   $f exports: ${names:-nothing}"
  else echo "FAIL $f exports '${names}', want '${want}'"; fail=1; fi
  want=_Execute
done
exit $fail
