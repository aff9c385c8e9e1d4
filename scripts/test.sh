#!/usr/bin/env bash
# Builds Kest and runs every test: unit tests natively under AddressSanitizer and UBSan, the
# threaded test under ThreadSanitizer, the fuzz targets briefly, then the Win32 and end-to-end
# tests under Wine on a private Xvfb display: Kest.exe's in a 32-bit prefix, Kest64.exe's and
# Kest.exe's cases of a 64-bit Windows in a 64-bit prefix.
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

echo "== Windows builds"
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64
# A Linux path as Wine's programs name it.
winpath() { printf 'Z:%s' "${1//\//\\}"; }

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

echo "== Kest64.exe, and Kest.exe on a 64-bit Windows, under Wine"
wine_env_up build/test-wine64 1 1 win64
wine_env_add_drive r floppy build/test-wine64/drives/removable
wine_env_add_drive s cdrom build/test-wine64/drives/cdrom
wine_env_restart
rm -rf build/win64/results
# The forwarding case starts a copy of the other kind beside its own.
(cd build/win64 && KEST_E2E_OTHER_PROGRAM=$(winpath "$root/build/win/bin/Kest.exe") ctest --output-on-failure) || status=1
# The 32-bit program's cases of a 64-bit Windows; a tool in System32 is a 64-bit program.
mkdir -p build/win64/results
(cd build/win/bin && KEST_E2E_OTHER_PROGRAM=$(winpath "$root/build/win64/bin/Kest64.exe") \
   KEST_E2E_PROBE64=$(winpath "$root/build/win64/bin/kest_probe.exe") \
   wine kest_e2e_tests.exe --gtest_filter='KestWow64Test.*' \
   "--gtest_output=xml:$(winpath "$root/build/win64/results/e2e_wow64_kest32.xml")" 2>&1 |
   grep -v "Read access denied" || true)
grep -q 'failures="0"' build/win64/results/e2e_wow64_kest32.xml 2>/dev/null || status=1
wine_env_down
trap - EXIT

echo "== the release: the same bytes from two clones, Scoop's checks"
release=0
bash scripts/release-check.sh || { status=1; release=1; }

# One closing line over every GoogleTest result file.
passed=0; failed=0
for f in build/native/results/*.xml build/tsan/results/*.xml build/fuzz/results/*.xml build/win/results/*.xml \
         build/win64/results/*.xml; do
  [ -f "$f" ] || continue
  t=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' tests="[0-9]*"' | grep -o '[0-9]*')
  fl=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' failures="[0-9]*"' | grep -o '[0-9]*')
  e=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' errors="[0-9]*"' | grep -o '[0-9]*')
  d=$(grep -m1 -o '<testsuites [^>]*' "$f" | grep -o ' disabled="[0-9]*"' | grep -o '[0-9]*')
  passed=$((passed + t - fl - e - ${d:-0})); failed=$((failed + fl + e))
done
# The layer check and the release check count as one test each.
if [ "$layers" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
if [ "$release" = 0 ]; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
[ "$status" = 0 ] || [ "$failed" -gt 0 ] || failed=1
echo "tests: $passed passed, $failed failed"
[ "$status" = 0 ] && [ "$failed" = 0 ]
