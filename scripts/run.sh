#!/usr/bin/env bash
# Builds Kest.exe and runs it under Wine: on $DISPLAY when there is one, otherwise on a
# private Xvfb display, with a screenshot to look at.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win --target Kest

# Kest keeps Tools.ini, root\ and its notes beside the executable: run it from its own folder.
mkdir -p build/run
cp build/win/bin/Kest.exe build/run/Kest.exe

. scripts/wine-env.sh
private_display=0
[ -n "${DISPLAY:-}" ] || private_display=1
trap wine_env_down EXIT
wine_env_up build/run-wine 0 "$private_display"

(cd build/run && exec wine Kest.exe "$@" >/dev/null 2>&1) &
kest=$!
if [ "$private_display" = 1 ]; then
  sleep 3
  import -display "$DISPLAY" -window root build/run/screenshot.png 2>/dev/null || true
  echo "Kest runs on the private display $DISPLAY (no screen was available)."
  echo "A screenshot is in build/run/screenshot.png; take another with:"
  echo "  import -display $DISPLAY -window root shot.png"
  echo "Press Ctrl-C to end it."
else
  echo "Kest runs on $DISPLAY. Close its window (E, or x in its caption strip) to end it."
fi
wait "$kest" || true
