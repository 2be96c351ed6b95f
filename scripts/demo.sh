#!/usr/bin/env bash
# The main job on embedded defaults. For now: builds both targets and writes a
# trace log with the native and the Windows build.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
bash scripts/setup.sh
cmake --preset linux >/dev/null && cmake --build --preset linux >/dev/null
cmake --preset win32 >/dev/null && cmake --build --preset win32 >/dev/null
demo=$root/build/demo
rm -rf "$demo" && mkdir -p "$demo"
build/linux/trace/trace_writer "$demo/Logs/Service/" "native" 3
echo "native trace log: $(ls "$demo"/Logs/Service/*.log)"
