#!/usr/bin/env bash
# The road of one update, end to end under Wine, on embedded defaults: the
# stand-in SQL Server and a local update server. The service is installed with
# the backup plug-in; the update server offers a newer KARVOBackup.dll and a new
# file in a sub-folder; the service stages them and starts the restarter, which
# stops the service, installs the files and starts it again.
#   road.sh <windows build folder>
# Exits non-zero when any step of the road does not happen.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
road=$build/road
app=$road/app
service=KARVOService

say() { printf '  %s\n' "$*"; }
fail() { printf 'ROAD FAILED: %s\n' "$*" >&2; show_logs >&2; exit 1; }

arch=$(cat "$build/wineprefix/.karvo-arch" 2>/dev/null) || { echo "no Wine prefix in $build" >&2; exit 1; }
. "$src/scripts/wine-env.sh" "$build/wineprefix" "$arch"
wine_() { "$KARVO_WINE" "$@" </dev/null 2>/dev/null; }
winpath() { printf 'Z:%s' "$1" | tr '/' '\\'; }

# UTF-16LE trace files as text.
show_log() { [ -d "$1" ] && for f in "$1"/*.log; do [ -f "$f" ] && iconv -f UTF-16LE -t UTF-8 "$f" | tr -d '\r' | sed 's/^/    /'; done; return 0; }
show_logs() {
  for part in Service Restarter Backup; do
    echo "  Logs\\$part\\:"
    show_log "$app/Logs/$part"
  done
}
log_has() { [ -d "$app/Logs/$1" ] && cat "$app/Logs/$1"/*.log 2>/dev/null | iconv -f UTF-16LE -t UTF-8 | grep -qF -- "$2"; }
wait_for() {  # wait_for <seconds> <description> <command...>
  local until=$((SECONDS + $1)) what=$2; shift 2
  until "$@"; do
    [ $SECONDS -lt $until ] || fail "timed out waiting for: $what"
    sleep 0.2
  done
}
state() { wine_ sc query "$service" | sed -n 's/.*STATE *: *[0-9]* *\([A-Z_]*\).*/\1/p' | head -1; }
in_state() { [ "$(state)" = "$1" ]; }
remove_service() {
  wine_ sc stop "$service" >/dev/null || true
  for _ in $(seq 1 30); do [ "$(state)" = STOPPED ] || [ -z "$(state)" ] && break; sleep 1; done
  wine_ sc delete "$service" >/dev/null || true
}
cleanup() {
  remove_service
  python3 "$src/tests/fixtures/tds_standin.py" --stop --dir "$road/standin" >/dev/null 2>&1 || true
  python3 "$src/tests/fixtures/update_server.py" --stop --state "$road/updates" >/dev/null 2>&1 || true
}
trap cleanup EXIT

echo "== preparing $app"
remove_service
rm -rf "$road"
mkdir -p "$app/sdll" "$road/release/sdll" "$road/release/tools" "$road/www" "$road/standin" "$road/updates"
cp "$build/KARVOService.exe" "$build/KARVOServiceRestarter.exe" "$app/"
cp "$build/sdll/KARVOBackup.dll" "$app/sdll/"
# The release: the next build of the plug-in, and a file the machine does not have yet.
cp "$build/next/sdll/KARVOBackup.dll" "$road/release/sdll/"
cp "$build/GrantFolderAccess.exe" "$road/release/tools/"
installed=$(python3 "$src/scripts/pe-version.py" "$app/sdll/KARVOBackup.dll")
offered=$(python3 "$src/scripts/pe-version.py" "$road/release/sdll/KARVOBackup.dll")
say "installed KARVOBackup.dll $installed, offered $offered"

echo "== starting the stand-in SQL Server and the update server"
# The backup procedure reports a full backup of FendraMDF.
printf '{"procedures": {"PRunBackup": {"return": 131, "message": "2 files written"}}}' > "$road/standin/script.json"
python3 "$src/tests/fixtures/tds_standin.py" --daemon --dir "$road/standin"
python3 "$src/tests/fixtures/update_server.py" --daemon --root "$road/www" --state "$road/updates"
sql_port=$(cat "$road/standin/port")
http_port=$(cat "$road/updates/port")
wine_ "$build/tools/karvo_publish.exe" --release "$(winpath "$road/release")" \
  --base-url "http://127.0.0.1:$http_port" --db-version 4v3v001r00 --out "$(winpath "$road/www")" >/dev/null ||
  fail "the publisher did not write the update server's files"
say "SQL Server 127.0.0.1,$sql_port; update server http://127.0.0.1:$http_port offers:"
sed 's/\r$//; s/^/    /' "$road/www/patch/KarvoService/config"
printf '[Server]\r\nserver=127.0.0.1,%s\r\nDriver=FreeTDS\r\n[Update]\r\nServer=http://127.0.0.1:%s\r\n' \
  "$sql_port" "$http_port" > "$app/server.ini"

echo "== installing and starting $service"
wine_ "$app/KARVOService.exe" /INSTALL /SILENT || true
wine_ sc query "$service" >/dev/null || fail "KARVOService.exe /INSTALL /SILENT did not register the service"
wine_ sc start "$service" >/dev/null || fail "the service did not start"
started=$SECONDS

echo "== waiting for the update to go through"
wait_for 60 "the service to stage the update and start the restarter" log_has Restarter "Performing file upgrade"
restarter_started=$EPOCHREALTIME
wait_for 120 "the restarter to start the service again" log_has Restarter "Starting Service"
wait_for 60 "the service to run again" in_state RUNNING
downtime=$(python3 -c "print($EPOCHREALTIME - $restarter_started)")
wait_for 120 "the new plug-in to load" log_has Backup "KARVOService (Backup) loaded (Ver: $offered)"
wait_for 60 "the backup to run" log_has Backup "Connection successful ("
wait_for 60 "the backup's result" log_has Backup "Database FendraMDF backup succcessful 2 files written"
wait_for 30 "the service to run" in_state RUNNING
say "the update took $((SECONDS - started)) s from the service's start to the new plug-in's backup"
printf '  downtime: restarter start to service running again: %.1f s\n' "$downtime"

# The restarter removed the staging folder; the check at the new start may
# have made it again, empty, as every check that reads the configuration does.
[ -z "$(find "$app/update" "$app/Update" -type f 2>/dev/null)" ] || fail "staged files are left in the staging folder"
[ -f "$app/tools/GrantFolderAccess.exe" ] || fail "the new file in a sub-folder was not installed"
[ "$(python3 "$src/scripts/pe-version.py" "$app/sdll/KARVOBackup.dll")" = "$offered" ] || fail "the plug-in was not replaced"
start_type=$(wine_ reg query 'HKLM\System\CurrentControlSet\Services\KARVOService' /v Start | sed -n 's/.*REG_DWORD *//p' | tr -d '\r')
[ "$start_type" = 0x2 ] || fail "the service's start type is $start_type, not automatic (0x2)"
grep -q '"proc": "PRunBackup"' "$road/standin/record.jsonl" || fail "PRunBackup was never called"
grep -q '"app": "KARVOService (Backup)"' "$road/standin/record.jsonl" || fail "the plug-in did not log in as KARVOService (Backup)"
say "nothing left staged, files installed, service running with automatic start"

echo "== stopping and removing $service"
wine_ sc stop "$service" >/dev/null || true
wait_for 60 "the service to stop" in_state STOPPED
wait_for 60 "the plug-in to unload" log_has Backup "KARVOService (Backup) unloaded"
wine_ "$app/KARVOService.exe" /UNINSTALL /SILENT || true
show_logs
echo "== the road of one update went through; logs are in $app/Logs"
