#!/usr/bin/env bash
# Fails when an #include in src/ points up the layers. Each folder may include only itself and
# the folders listed for it; the Win32 implementation of the platform is for Win32 code only.
set -euo pipefail
cd "$(dirname "$0")/../src"

declare -A allowed=(
  [platform]="platform"
  [platform/win32]="platform platform/win32"
  [core]="platform core"
  [targets]="platform core targets"
  [catalog]="platform core catalog"
  [state]="platform core targets catalog state"
  [settings]="platform core targets catalog state settings"
  [window_rules]="platform core targets catalog state window_rules"
  [kit]="platform platform/win32 core state window_rules kit"
  [windows]="platform platform/win32 core targets catalog state settings window_rules kit windows"
  [app]="platform platform/win32 core targets catalog state settings window_rules kit windows app"
)
# The icon helper runs in a process that reads samples: it uses nothing above platform and targets.
helper_allowed="platform platform/win32 core targets app"

bad=0
while IFS= read -r -d '' file; do
  folder=$(dirname "$file")
  folder=${folder#./}
  if [ -z "${allowed[$folder]+x}" ]; then
    echo "check-layers: $file is in a folder of no layer ($folder)"
    bad=1
    continue
  fi
  layers=${allowed[$folder]}
  case "$file" in ./app/icon_helper.*) layers=$helper_allowed ;; esac
  while IFS= read -r inc; do
    target=$(dirname "$inc")
    # A header without a folder is one the build generates (the version).
    [ "$target" = . ] && continue
    ok=0
    for a in $layers; do [ "$target" = "$a" ] && ok=1; done
    if [ "$ok" = 0 ]; then
      echo "check-layers: $file includes \"$inc\", above its layer ($folder)"
      bad=1
    fi
  done < <(grep -o '^#include "[^"]*"' "$file" | sed 's/^#include "//; s/"$//')
done < <(find . -name '*.h' -print0 -o -name '*.cpp' -print0)

if [ "$bad" = 0 ]; then echo "check-layers: every include points down"; fi
exit "$bad"
