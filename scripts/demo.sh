#!/usr/bin/env bash
# The demo: the whole installation on the real program under Wine, on an Xvfb screen unless
# $DISPLAY is set.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/xvfb.sh
if [ -z "${DISPLAY:-}" ]; then
  start_xvfb || { echo "demo: could not start Xvfb"; exit 1; }
  trap stop_xvfb EXIT
  export MERVANTIS_OWN_SCREEN=1
fi
/usr/bin/python3 scripts/demo.py
