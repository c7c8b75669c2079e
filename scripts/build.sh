#!/usr/bin/env bash
# Configures (once) and builds the three configurations.
set -euo pipefail
cd "$(dirname "$0")/.."
for preset in host win64 win32; do
  if [ ! -f "build/$preset/build.ninja" ]; then
    mkdir -p build
    cmake --preset "$preset" >"build/$preset.configure.log" 2>&1 || {
      mkdir -p build; cat "build/$preset.configure.log"; exit 1; }
  fi
  echo "build: $preset"
  cmake --build "build/$preset" -- -j"$(nproc)" >"build/$preset.build.log" 2>&1 || {
    tail -40 "build/$preset.build.log"; exit 1; }
done
