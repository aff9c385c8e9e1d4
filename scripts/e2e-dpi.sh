#!/usr/bin/env bash
# e2e-dpi.sh <kest_e2e_tests.exe> <result xml>: the end-to-end test at 144 DPI, in a prefix of
# its own (a copy of the test run's prefix when there is one, which costs seconds instead of the
# minute a new one takes), on the run's display or a private Xvfb.
set -euo pipefail
tests=$(realpath "$1")
results=$(realpath -m "$2")
cd "$(dirname "$0")/.."
state=build/test-wine-dpi
source_prefix=${WINEPREFIX:-}
xvfb=1
[ -n "${DISPLAY:-}" ] && xvfb=0

. scripts/wine-env.sh
WINEPREFIX="$(realpath -m "$state/prefix")" wineserver -k 2>/dev/null || true
rm -rf "$state/prefix"
mkdir -p "$state"
if [ -n "$source_prefix" ] && [ -f "$source_prefix/system.reg" ]; then
  cp -a "$source_prefix" "$state/prefix"
fi
trap wine_env_down EXIT
wine_env_up "$state" 0 "$xvfb"
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f ${WINE_ENV_REG:-} >/dev/null 2>&1 </dev/null
# The DPI is read when the server starts.
wine_env_restart
mkdir -p "$(dirname "$results")"
wine "$tests" --gtest_filter='KestDpiTest.*' "--gtest_output=xml:Z:$results" 2>&1 | grep -v "Read access denied" || true
# The result file says whether the test passed.
grep -q 'failures="0"' "$results" && grep -q 'errors="0"' "$results" && ! grep -q 'tests="0"' "$results"
