#!/usr/bin/env bash
# Builds the libFuzzer targets of tests/fuzz with clang (build/fuzz) and runs them, two at a
# time.
#
#   scripts/fuzz.sh                      every target for 60 seconds
#   scripts/fuzz.sh 600                  every target for 600 seconds
#   scripts/fuzz.sh 600 targets_load     the named targets only
#   scripts/fuzz.sh --brief              what scripts/test.sh runs: a few seconds each from the
#                                        seed corpus, with a fixed seed, into a throw-away
#                                        corpus; results in build/fuzz/results/fuzz.xml
#
# A long run keeps its working corpus in build/fuzz/corpus/<target> (the checked-in seeds in
# tests/fuzz/corpus/<target> are read, never written) and puts what it finds (crash-*, leak-*,
# timeout-*, oom-*) in build/fuzz/findings/<target>/. Replay a finding with
#   build/fuzz/bin/fuzz_<target> build/fuzz/findings/<target>/crash-...
# An input that runs longer than 10 seconds counts as a hang.
set -euo pipefail
cd "$(dirname "$0")/.."

targets_all=(command_line settings_values targets_load work_file_extensions catalog_names ini_edits file_facts target_kind)
brief=0
seconds=60
if [ "${1:-}" = --brief ]; then
  brief=1
  seconds=${KEST_FUZZ_BRIEF_SECONDS:-3}
  shift
elif [[ "${1:-}" =~ ^[0-9]+$ ]]; then
  seconds=$1
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=("${targets_all[@]}")
for t in "${targets[@]}"; do
  [ -d "tests/fuzz/corpus/$t" ] || { echo "fuzz.sh: no target $t (have: ${targets_all[*]})" >&2; exit 2; }
done

[ "$brief" = 1 ] || bash scripts/deps.sh
[ "$brief" = 0 ] || rm -rf build/fuzz/results
cmake -S . -B build/fuzz -G Ninja -DKEST_FUZZ=ON -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE= >/dev/null
cmake --build build/fuzz

work=build/fuzz/run
rm -rf "$work"
mkdir -p "$work"

# One target: its log in $work/<target>.log, its exit code in $work/<target>.rc.
run_one() {
  local t=$1 corpus findings
  if [ "$brief" = 1 ]; then
    corpus=$(mktemp -d "$work/corpus-$t.XXXXXX")
    findings=$work/findings-$t
  else
    corpus=build/fuzz/corpus/$t
    findings=build/fuzz/findings/$t
  fi
  mkdir -p "$corpus" "$findings"
  local extra=()
  [ "$brief" = 1 ] && extra=(-seed=1)
  local rc=0
  "build/fuzz/bin/fuzz_$t" "${extra[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -max_len=4096 -print_final_stats=1 -artifact_prefix="$findings/" "$corpus" "tests/fuzz/corpus/$t" \
    >"$work/$t.log" 2>&1 || rc=$?
  echo "$rc" >"$work/$t.rc"
}

# Two at a time: the machines have two cores.
running=0
for t in "${targets[@]}"; do
  run_one "$t" &
  running=$((running + 1))
  if [ "$running" -ge 2 ]; then
    wait -n || true
    running=$((running - 1))
  fi
done
wait

failed=0
cases=""
for t in "${targets[@]}"; do
  rc=$(cat "$work/$t.rc")
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$work/$t.log" | grep -o '[0-9]*$' || true)
  if [ "$rc" = 0 ]; then
    echo "fuzz $t: ${runs:-?} runs, nothing found"
    cases+="    <testcase name=\"$t\" classname=\"fuzz\"/>"$'\n'
  else
    failed=$((failed + 1))
    echo "fuzz $t: FOUND something (exit $rc); the input is in $( [ "$brief" = 1 ] && echo "$work/findings-$t" || echo "build/fuzz/findings/$t")"
    grep -E 'ERROR|check failed|runtime error|SUMMARY|Test unit written' "$work/$t.log" | head -20 | sed 's/^/  /'
    cases+="    <testcase name=\"$t\" classname=\"fuzz\"><failure message=\"finding, exit $rc\"/></testcase>"$'\n'
  fi
done

if [ "$brief" = 1 ]; then
  # The test command sums GoogleTest result files: one test case per target.
  mkdir -p build/fuzz/results
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo "<testsuites tests=\"${#targets[@]}\" failures=\"$failed\" disabled=\"0\" errors=\"0\" name=\"fuzz\">"
    echo "  <testsuite name=\"fuzz\" tests=\"${#targets[@]}\" failures=\"$failed\" disabled=\"0\" errors=\"0\">"
    printf '%s' "$cases"
    echo '  </testsuite>'
    echo '</testsuites>'
  } >build/fuzz/results/fuzz.xml
  rm -rf "$work"/corpus-*
fi
[ "$failed" = 0 ]
