#!/bin/sh
# Compares the names a sound library exports with the entry points of the
# table in base/sound_entries.h, as scripts/lib/sound_entries.sh reads it.
# Usage: check_exports.sh library LIBRARY
#        check_exports.sh map VERSION_SCRIPT
# "library" lists the dynamic symbols the built library defines; "map" the
# names of the version script's global part.
set -eu
kind=$1
file=$2
entries=$(dirname "$0")/../../scripts/lib/sound_entries.sh
expected=$(sh "$entries" names | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
case "$kind" in
  library) names=$(nm -D --defined-only --format=just-symbols "$file") ;;
  map) names=$(sed -n '/global:/,/local:/p' "$file" | sed -n 's/^ *\([A-Za-z_][A-Za-z_0-9]*\);.*/\1/p') ;;
  *) echo "usage: check_exports.sh library|map FILE"; exit 2 ;;
esac
actual=$(echo "$names" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "$file differs from the table:"
  echo "  table: $expected"
  echo "  $kind: $actual"
  exit 1
fi
echo "$kind: $actual"
