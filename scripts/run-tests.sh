#!/usr/bin/env bash
# The whole test run: host unit tests, Windows unit tests under wine64, end-to-end tests of the
# real program on an Xvfb screen. Everything runs in a private Wine prefix and HOME made here.
# Ends with one summary line.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

results=$root/build/test-results
rm -rf "$results" "$root/build/test-run"
mkdir -p "$results/host" "$results/win64"
export MERVANTIS_RUN_DIR=$root/build/test-run
source scripts/xvfb.sh
start_xvfb || { echo "tests: could not start Xvfb"; exit 1; }
trap stop_xvfb EXIT

echo "tests: making the private Wine prefix"
source scripts/wine-env.sh
ensure_wine_services

status=0
echo "tests: host unit tests"
GTEST_OUTPUT="xml:$results/host/" ctest --test-dir build/host --output-on-failure >"$results/host.log" 2>&1 \
  || { status=1; cat "$results/host.log"; }

echo "tests: Windows unit tests (win64 under wine64)"
GTEST_OUTPUT="xml:$(winepath_of "$results/win64")\\" \
  ctest --test-dir build/win64 --output-on-failure >"$results/win64.log" 2>&1 \
  || { status=1; cat "$results/win64.log"; }

if [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "tests: Windows unit tests (win32 under 32-bit Wine)"
  mkdir -p "$results/win32"
  ( export MERVANTIS_RUN_DIR=$root/build/test-run32 WINEARCH=win32 WINE=/usr/lib/wine/wine
    rm -rf "$MERVANTIS_RUN_DIR"
    GTEST_OUTPUT="xml:$(winepath_of "$results/win32")\\" \
      ctest --test-dir build/win32 --output-on-failure >"$results/win32.log" 2>&1 ) \
    || { status=1; cat "$results/win32.log"; }
else
  echo "tests: this machine cannot execute 32-bit code; the win32 tests are skipped"
fi

echo "tests: end-to-end tests of the real program under Wine"
/usr/bin/python3 -m pytest -q -p no:cacheprovider tests/e2e --junitxml="$results/e2e.xml" \
  || status=1

/usr/bin/python3 scripts/summarize-tests.py "$results" || status=1
exit $status
