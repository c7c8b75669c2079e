#!/usr/bin/env bash
# The benchmarks: every script in bench/ runs in turn, on a private Wine prefix and an Xvfb screen
# of its own, and prints its own figures. Ratios are measured side by side within one script.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

export MERVANTIS_RUN_DIR=$root/build/bench-run
rm -rf "$MERVANTIS_RUN_DIR"
source scripts/xvfb.sh
start_xvfb || { echo "bench: could not start Xvfb"; exit 1; }
trap stop_xvfb EXIT
source scripts/wine-env.sh
ensure_wine_services

status=0
shopt -s nullglob
for bench in bench/*.sh; do
  echo "bench: $(basename "$bench" .sh)"
  bash "$bench" || { echo "bench: $bench failed"; status=1; }
done
exit $status
