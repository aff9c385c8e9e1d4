#!/usr/bin/env bash
# Checks that the release is reproducible: scripts/package.sh run in two clones of this commit,
# at paths of different lengths, in time zones 26 hours apart (so on different calendar days),
# gives the same zip, SHA256SUMS and kest.json, and that kest.json passes Scoop's checks.
# The first package comes from this tree when it holds no uncommitted change (its build trees
# are the test trees: only the programs are linked anew), else from a clone; the second from a
# fresh clone that builds both programs from nothing, without ccache, in its own build trees.
# Ends with status 0 when everything holds.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d /tmp/kest-release.XXXXXX)
trap 'rm -rf "$work"' EXIT
commit=$(git rev-parse HEAD)

clone() {
  git clone -q --no-hardlinks "$root" "$1" && git -C "$1" checkout -q "$commit"
}

first=$root
if [ -n "$(git status --porcelain --untracked-files=no)" ]; then
  first=$work/a
  clone "$first" || exit 1
fi
second=$work/b/a-longer-path-for-the-second-clone/kest
clone "$second" || exit 1

(cd "$first" && TZ=Pacific/Kiritimati bash scripts/package.sh >/dev/null) || { echo "release: the first package failed"; exit 1; }
start=$(date +%s)
(cd "$second" && TZ=America/Adak CCACHE_DISABLE=1 bash scripts/package.sh >/dev/null) ||
  { echo "release: the second package failed"; exit 1; }
echo "release: the second package, built from nothing, took $(( $(date +%s) - start )) s"

status=0
for f in "$second"/dist/*; do
  name=$(basename "$f")
  if ! cmp -s "$f" "$first/dist/$name"; then
    echo "release: $name differs between two packages of one commit"
    status=1
  fi
done
zip=$(ls "$second"/dist/Kest-*-win.zip)
(cd "$second/dist" && sha256sum -c --quiet SHA256SUMS) || status=1
python3 tests/release/scoop_manifest_check.py "$second/dist/kest.json" "$zip" || status=1
[ "$status" = 0 ] && echo "release: $(basename "$zip") the same from two clones; kest.json passes Scoop's checks"
exit "$status"
