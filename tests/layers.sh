#!/usr/bin/env bash
# The folders are layers: a product file may include headers of its own folder and of the
# folders below it, never of a folder above it or of a peer beside it. Prints every include
# that breaks the order and fails when there is one. Test files (*_test.cc, *_test_util.h,
# the in-memory directory) may reach across, as a test wires layers together.
# Usage: layers.sh [SOURCE_DIR]
set -eu
cd "${1:-$(dirname "$0")/..}"

# Folder and rank, top first; folders of one rank are peers and do not include each other.
layers='
app 7
query 6
retrieval 5
report 5
run 4
directory 3
directory/ads/ldap 2
directory/ads/win32 2
directory/ads/fake 2
directory/ads 1
util 0
'

rank_of() {
  local dir=$1
  awk -v d="$dir" 'NF == 2 && $1 == d { print $2 }' <<<"$layers"
}

bad=0
while IFS= read -r file; do
  case "$file" in *_test.cc | *_test_util.h | */fake/*) continue ;; esac
  dir=$(dirname "$file")
  own=$(rank_of "$dir")
  if [ -z "$own" ]; then
    echo "$file: folder $dir has no place in the layer order"
    bad=1
    continue
  fi
  while IFS= read -r target; do
    tdir=$(dirname "$target")
    [ "$tdir" = "$dir" ] && continue
    theirs=$(rank_of "$tdir")
    if [ -z "$theirs" ]; then
      echo "$file: includes $target from $tdir, a folder outside the layer order"
      bad=1
    elif [ "$theirs" -ge "$own" ]; then
      echo "$file: includes $target: $tdir is not below $dir"
      bad=1
    fi
  done < <(sed -n 's/^#include "\([^"]*\)".*/\1/p' "$file")
done < <(find app query retrieval report run directory util -name '*.cc' -o -name '*.h' | sort)
exit $bad
