#!/usr/bin/env bash
# Checks the export tables of plug-in DLLs: each exports exactly "_Execute"
# (cdecl: undecorated on i686 too); a DLL after --without must not export it.
# check-exports.sh <win32|win64> [--without] <dll>...
set -euo pipefail
case $1 in
  win32) objdump=i686-w64-mingw32-objdump ;;
  win64) objdump=x86_64-w64-mingw32-objdump ;;
esac
shift
fail=0 without=
for f in "$@"; do
  if [ "$f" = --without ]; then without=1; continue; fi
  names=$($objdump -p "$f" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | sed -n 's/^\s*\[ *[0-9]*\] //p' | tr '\n' ' ' | sed 's/ $//')
  if [ -n "$without" ]; then
    case " $names " in
      *" _Execute "*) echo "FAIL $f exports _Execute"; fail=1 ;;
      *) echo "ok   $f exports: ${names:-nothing} (no _Execute)" ;;
    esac
  elif [ "$names" = _Execute ]; then
    echo "ok   $f exports: $names"
  else
    echo "FAIL $f exports '$names', want exactly '_Execute'"; fail=1
  fi
  without=
done
exit $fail
