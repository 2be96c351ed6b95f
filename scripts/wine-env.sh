# Sourced: sets up Wine for a prefix. $1 = prefix, $2 = win32 or win64.
export WINEPREFIX=$1 WINEARCH=$2
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ "$2" = win64 ]; then
  KARVO_WINE=/usr/lib/wine/wine64
else
  KARVO_WINE=/usr/lib/wine/wine
fi
[ -x "$KARVO_WINE" ] || KARVO_WINE=wine
export KARVO_WINE
