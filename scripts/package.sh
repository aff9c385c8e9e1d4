#!/usr/bin/env bash
# Makes the portable release of the checked-out commit in dist/:
#   Kest-<version>-win.zip  Kest64.exe (64-bit Windows), Kest.exe (32-bit Windows), an empty
#                           data\root\ (Kest keeps Tools.ini, the tool catalog and the notes in
#                           data\) and docs\README.txt for Windows users
#   SHA256SUMS              the zip's SHA-256, as sha256sum writes it
#   kest.json               a Scoop manifest for the zip, downloaded from <base-url>/<zip name>
# Usage: scripts/package.sh [base-url]   (default: https://example.org/kest/download)
#
# Two runs on one commit give the same bytes, wherever the clone lies, on any day and in any
# time zone: the programs are linked with the commit's time in their headers instead of the
# clock's (SOURCE_DATE_EPOCH, which GNU ld takes), the compiler writes no build path into them,
# and the zip's entries come in a fixed order with the commit's time and fixed attributes.
set -euo pipefail
cd "$(dirname "$0")/.."
base_url=${1:-https://example.org/kest/download}
base_url=${base_url%/}

bash scripts/deps.sh
commit=$(git rev-parse HEAD)
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(git log -1 --format=%ct HEAD)
# Local changes would make the programs differ from the commit's: the read-me says so.
changes=""
[ -z "$(git status --porcelain --untracked-files=no)" ] || changes=", with changes not committed"

cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli >/dev/null
cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake -DCMAKE_BUILD_TYPE=Release --no-warn-unused-cli >/dev/null
# Linked anew, so that the header takes this commit's time even when nothing else changed.
rm -f build/win/bin/Kest.exe build/win64/bin/Kest64.exe
cmake --build build/win --target Kest
cmake --build build/win64 --target Kest
version=$(sed -n 's/^#define KEST_VERSION "\(.*\)"$/\1/p' build/win/generated/kest_version.h)
[ -n "$version" ] || { echo "no version in build/win/generated/kest_version.h" >&2; exit 1; }

name=Kest-$version
stage=build/package/$name
rm -rf build/package
mkdir -p "$stage/data/root" "$stage/docs" dist
cp build/win/bin/Kest.exe "$stage/Kest.exe"
cp build/win64/bin/Kest64.exe "$stage/Kest64.exe"
# The read-me lies in docs\: beside the programs every "<name>.txt" is the note of a target.
sed -e "s/@VERSION@/$version/g" -e "s/@COMMIT@/$commit/g" \
    -e "s/@DATE@/$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y-%m-%d)$changes/g" res/README.txt.in | sed 's/$/\r/' > "$stage/docs/README.txt"

zip_name=$name-win.zip
rm -f "dist/$zip_name" dist/SHA256SUMS dist/kest.json
python3 scripts/package.py zip build/package "$name" "dist/$zip_name" "$SOURCE_DATE_EPOCH"
(cd dist && sha256sum "$zip_name" > SHA256SUMS)
python3 scripts/package.py scoop "dist/$zip_name" "$name" "$version" "$base_url/$zip_name" dist/kest.json
echo "dist/$zip_name"
