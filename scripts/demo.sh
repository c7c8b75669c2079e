#!/usr/bin/env bash
# The demo: the program's real window under Wine, on an Xvfb screen unless $DISPLAY is set.
set -euo pipefail
cd "$(dirname "$0")/.."
exec /usr/bin/python3 scripts/demo.py
