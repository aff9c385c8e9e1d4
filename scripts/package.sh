#!/usr/bin/env bash
# Makes the portable release: dist/Kest-<version>-win.zip with Kest64.exe (64-bit Windows) and
# Kest.exe (32-bit Windows), an empty root\ folder for the tool catalog and docs\README.txt for
# Windows users: not beside the programs, where every "<name>.txt" is the note of a target
# called <name>.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win --target Kest
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win64 --target Kest
version=$(sed -n 's/^#define KEST_VERSION "\(.*\)"$/\1/p' build/win/generated/kest_version.h)
[ -n "$version" ] || { echo "no version in build/win/generated/kest_version.h" >&2; exit 1; }

stage=build/package/Kest-$version
rm -rf build/package
mkdir -p "$stage/root" "$stage/docs" dist
cp build/win/bin/Kest.exe "$stage/Kest.exe"
cp build/win64/bin/Kest64.exe "$stage/Kest64.exe"
sed "s/@VERSION@/$version/g" res/README.txt.in | sed 's/$/\r/' > "$stage/docs/README.txt"
zip_path=dist/Kest-$version-win.zip
rm -f "$zip_path"
command -v zip >/dev/null || { DEBIAN_FRONTEND=noninteractive apt-get install -y -qq zip >/dev/null; }
# zip -r keeps the empty root\ folder as an entry of its own.
(cd build/package && zip -qrX "../../$zip_path" "Kest-$version")
echo "$zip_path"
