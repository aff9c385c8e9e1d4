#!/bin/sh
# check-imports.sh <objdump> <nm> <program> <link map> <import library>...
# Fails when the program was linked in a way that undoes the delay-loading:
#  - its import table names a DLL other than KERNEL32.dll and msvcrt.dll (a call that found no
#    delay-load thunk and was taken from an ordinary import library), or
#  - an object or archive member that went into it (the link map says which) calls a function of
#    one of the import libraries given through its __imp_ pointer. That is code compiled without
#    DECLSPEC_IMPORT defined empty, or a prebuilt library: the link succeeds, and the first call
#    jumps through a slot the delay-load helper never filled.
set -eu
objdump=$1 nm=$2 program=$3 map=$4
shift 4
status=0
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

# The load-time import table. objdump lists each imported DLL as "DLL Name: X" under "The Import
# Tables"; delay imports come in a section of their own, which does not count.
"$objdump" -p "$program" | awk '
  /^The Import Tables/ { on = 1; next }
  /^The .* Tables/ || /^PE File Base Relocations/ || /^Sections:/ { on = 0 }
  on && /DLL Name:/ { print $3 }' >"$tmp/dlls"
while read -r dll; do
  case $(printf '%s' "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll | msvcrt.dll) ;;
    *)
      echo "check-imports: $program loads $dll at start; only KERNEL32.dll and msvcrt.dll may be" \
           "imported at load time, every other system DLL goes through its delay-import library" >&2
      status=1 ;;
  esac
done <"$tmp/dlls"
[ -s "$tmp/dlls" ] || { echo "check-imports: no import table found in $program" >&2; status=1; }

# Every __imp_ symbol of the delay-loaded DLLs, with its DLL.
for lib in "$@"; do
  dll=$(basename "$lib" .a | sed 's/^lib//').dll
  "$nm" "$lib" 2>/dev/null | awk -v dll="$dll" '$2 == "I" && $3 ~ /^__imp_/ { print $3, dll }'
done | sort -u >"$tmp/slots"
[ -s "$tmp/slots" ] || { echo "check-imports: no __imp_ symbols in the import libraries" >&2; status=1; }

# What went into the link: objects named on the command line (LOAD lines) whole, archives only
# for the members the linker took ("Archive member included ..." lines, "archive(member)").
awk '
  /^Archive member included/ { members = 1; next }
  /^(Discarded input sections|Allocating common symbols|Memory Configuration)/ { members = 0 }
  members && /^[^ \t]/ { m = $1; if (m ~ /\)$/) print "M", m }
  /^LOAD / && $0 != "LOAD dll stuff" { print "L", $2 }' "$map" >"$tmp/inputs"
grep -q '^L ' "$tmp/inputs" || { echo "check-imports: no inputs listed in $map" >&2; status=1; }

# Undefined symbols of each input, as "<input> <symbol>". The map names inputs as the linker
# was given them, relative to the directory it ran in, which is where this runs; an input that
# cannot be read is an error rather than a pass.
while read -r kind path; do
  [ "$kind" = L ] || continue
  if [ ! -r "$path" ]; then
    echo "check-imports: cannot read $path, named in $map" >&2
    status=1
    continue
  fi
  case $path in
    *.a | *.res) ;;  # archives: their members below; compiled resources hold no code
    *)
      "$nm" -u "$path" >"$tmp/one" || status=1
      awk -v f="$path" '{ print f, $NF }' "$tmp/one" ;;
  esac
done <"$tmp/inputs" >"$tmp/undefined"
sed -n 's/^M \(.*\)(\(.*\))$/\1/p' "$tmp/inputs" | sort -u | while read -r archive; do
  # nm -A names each symbol "archive:member:"; keep the members the link took.
  "$nm" -A -u "$archive" 2>/dev/null | awk -v a="$archive" '
    { i = index($0, a ":"); if (i != 1) next
      rest = substr($0, length(a) + 2); j = index(rest, ":")
      print a "(" substr(rest, 1, j - 1) ")", $NF }'
done >>"$tmp/undefined"
sed -n 's/^M //p' "$tmp/inputs" | sort -u >"$tmp/members"

awk '
  FILENAME == ARGV[1] { dll[$1] = $2; next }
  FILENAME == ARGV[2] { taken[$1] = 1; next }
  ($2 in dll) && ($1 !~ /\)$/ || ($1 in taken)) {
    printf "check-imports: %s calls %s (%s) through its __imp_ pointer: compiled without" \
           " DECLSPEC_IMPORT defined empty (link kest_thunk_calls), or a prebuilt library;" \
           " the call would jump through a slot the delay-load helper never fills\n", $1, $2, dll[$2]
    bad = 1 }
  END { exit bad }' "$tmp/slots" "$tmp/members" "$tmp/undefined" >&2 || status=1

if [ "$status" != 0 ]; then
  rm -f "$program"
  exit 1
fi
