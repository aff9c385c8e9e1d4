#!/usr/bin/env bash
# Installs what building and testing Kest needs on Debian 12, quietly when it is all there.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  added_i386=1
fi
# clang and its compiler runtime (libclang_rt.fuzzer and the sanitizers) build the fuzz targets.
# The -posix compilers of both Windows targets: Kest.exe (i686) and Kest64.exe (x86_64).
# git and python3 make the release: the commit's time, the zip and the Scoop manifest.
for p in cmake ninja-build g++ googletest g++-mingw-w64-i686 mingw-w64-i686-dev \
         g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev \
         wine wine32:i386 wine64 xvfb xauth imagemagick clang libclang-rt-14-dev git python3; do
  have "$p" || need+=("$p")
done

if [ ${#need[@]} -gt 0 ] || [ -n "${added_i386:-}" ]; then
  echo "Installing: ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${need[@]}" >/dev/null
fi
