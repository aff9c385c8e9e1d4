#!/bin/sh
# delay-import-lib.sh <nm> <dlltool> <import library> <dll name> <output library> <symbol prefix>
# Makes a delay-import library holding every function the import library has, so that the DLL
# is loaded on its first call instead of at process start. The symbol prefix is "_" for i686
# and empty for x86_64.
set -eu
nm=$1 dlltool=$2 implib=$3 dll=$4 out=$5 prefix=${6-_}
def="$out.def"
{
  echo "LIBRARY $dll"
  echo "EXPORTS"
  # Functions have both a thunk (T _Name) and an import slot (I __imp__Name); data has only the
  # slot and cannot be delay-loaded.
  "$nm" "$implib" 2>/dev/null | awk -v p="$prefix" '
    $2 == "T" && substr($3, 1, length(p)) == p { code[substr($3, length(p) + 1)] = 1 }
    $2 == "I" && substr($3, 1, 6 + length(p)) == "__imp_" p { slot[substr($3, 7 + length(p))] = 1 }
    END { for (n in slot) if (n in code) print n }' | LC_ALL=C sort
} >"$def"
"$dlltool" -k -d "$def" -y "$out"
