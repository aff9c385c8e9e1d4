#!/usr/bin/env bash
# Builds the tests that use the logic from several threads at once natively under
# ThreadSanitizer (build/tsan, a tree of its own, from tests/tsan) and runs them. The result goes
# to build/tsan/results/tsan.xml, which scripts/test.sh counts with the others.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S tests/tsan -B build/tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build/tsan -j 2
rm -rf build/tsan/results
mkdir -p build/tsan/results
xml=build/tsan/results/tsan.xml

# The run stops at the first race, with ThreadSanitizer's report of both threads' stacks.
rc=0
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" \
  build/tsan/kest_tsan_tests --gtest_output=xml:$xml || rc=$?
if [ "$rc" != 0 ] && ! grep -qs '<testsuites [^>]*failures="[1-9]' "$xml"; then
  # Stopped before GoogleTest wrote a failure of its own: the race counts as one failed test.
  cat >"$xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<testsuites tests="1" failures="1" disabled="0" errors="0" name="AllTests">
  <testsuite name="ThreadSanitizer" tests="1" failures="1" disabled="0" errors="0">
    <testcase name="NoRaceNorCrash" status="run" result="completed" classname="ThreadSanitizer">
      <failure message="kest_tsan_tests ended with exit code $rc; the report is above." type=""/>
    </testcase>
  </testsuite>
</testsuites>
XML
fi
exit "$rc"
