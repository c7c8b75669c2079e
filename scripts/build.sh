#!/usr/bin/env bash
# Configures (once) and builds the three configurations. The programs built here download
# from the local test server's address (scripts/test-host); a publisher builds with a real
# host instead (see README).
set -euo pipefail
cd "$(dirname "$0")/.."
host=$(cat scripts/test-host)
for preset in host win64 win32; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    mkdir -p build
    cmake --preset "$preset" -DMERVANTIS_DOWNLOAD_HOST="$host" >"build/$preset.configure.log" 2>&1 || {
      mkdir -p build; cat "build/$preset.configure.log"; exit 1; }
  elif ! grep -qx "MERVANTIS_DOWNLOAD_HOST:STRING=$host" "build/$preset/CMakeCache.txt"; then
    cmake "build/$preset" -DMERVANTIS_DOWNLOAD_HOST="$host" >"build/$preset.configure.log" 2>&1 || {
      cat "build/$preset.configure.log"; exit 1; }
  fi
  echo "build: $preset"
  cmake --build "build/$preset" -- -j"$(nproc)" >"build/$preset.build.log" 2>&1 || {
    tail -40 "build/$preset.build.log"; exit 1; }
done
