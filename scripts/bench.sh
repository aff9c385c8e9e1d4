#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine. They report figures; they do not pass or fail.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win
. scripts/wine-env.sh
trap wine_env_down EXIT
wine_env_up build/bench-wine 0 1
for b in build/win/bin/bench_*.exe; do
  (cd build/win/bin && wine "$(basename "$b")" "$@")
done
