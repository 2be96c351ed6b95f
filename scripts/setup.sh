#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine (run as root).
# Idempotent: returns at once when everything is already there.
set -euo pipefail

need_pkgs=(
  build-essential cmake ninja-build pkg-config python3 git file
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev binutils-mingw-w64-i686
  g++-mingw-w64-x86-64 mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
  wine wine32 wine64
  unixodbc unixodbc-dev odbcinst tdsodbc libodbc2:i386 tdsodbc:i386
  libcurl4-openssl-dev curl openssl
)

missing=()
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  missing=("${need_pkgs[@]}")
else
  for p in "${need_pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The FreeTDS ODBC driver must be registered under the name "FreeTDS" for both
# the native build and Wine's odbc32 (which forwards to the 64-bit unixODBC).
if ! odbcinst -q -d -n FreeTDS >/dev/null 2>&1; then
  drv=$(ls /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so 2>/dev/null || true)
  if [ -n "$drv" ]; then
    printf '[FreeTDS]\nDescription=FreeTDS ODBC driver\nDriver=%s\n' "$drv" > /tmp/freetds.ini
    odbcinst -i -d -f /tmp/freetds.ini >/dev/null
    rm -f /tmp/freetds.ini
  fi
fi
