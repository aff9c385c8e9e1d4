#!/usr/bin/env bash
# Builds Kest and runs every test: unit tests natively under AddressSanitizer and UBSan, the
# threaded test under ThreadSanitizer, the fuzz targets briefly, then the Win32 and end-to-end
# tests under Wine on a private Xvfb display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/deps.sh

status=0
echo "== layers"
layers=0
bash scripts/check-layers.sh || { status=1; layers=1; }

echo "== native build and unit tests"
cmake -S . -B build/native -G Ninja -DKEST_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/native
rm -rf build/native/results
(cd build/native && ctest --output-on-failure) || status=1

echo "== the catalog cache from two threads under ThreadSanitizer"
bash scripts/tsan.sh || status=1

echo "== fuzz targets, a few seconds each from their seed corpus"
bash scripts/fuzz.sh --brief || status=1

echo "== Windows build"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win

echo "== Win32 and end-to-end tests under Wine"
. scripts/wine-env.sh
trap wine_env_down EXIT
wine_env_up build/test-wine 1 1
# A removable drive and a CD drive for the tests that look for tools on other drives.
wine_env_add_drive r floppy build/test-wine/drives/removable
wine_env_add_drive s cdrom build/test-wine/drives/cdrom
wine_env_restart
rm -rf build/win/results
(cd build/win && ctest --output-on-failure) || status=1
wine_env_down
trap - EXIT

# One closing line over every GoogleTest result file.
passed=0; failed=0
for f in build/native/results/*.xml build/tsan/results/*.xml build/fuzz/results/*.xml build/win/results/*.xml; do
  [ -f "$f" ] || continue
  t=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' tests="[0-9]*"' | grep -o '[0-9]*')
  fl=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' failures="[0-9]*"' | grep -o '[0-9]*')
  e=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' errors="[0-9]*"' | grep -o '[0-9]*')
  d=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' disabled="[0-9]*"' | grep -o '[0-9]*')
  passed=$((passed + t - fl - e - ${d:-0})); failed=$((failed + fl + e))
done
# The layer check counts as one test.
if [ "$layers" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
[ "$status" = 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "tests: $passed passed, $failed failed"
[ "$status" = 0 ] && [ "$failed" = 0 ]
