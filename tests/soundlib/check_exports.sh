#!/bin/sh
# Compares the names a sound library exports with the fifteen entry points
# of the table in base/sound_entries.h.
# Usage: check_exports.sh library LIBRARY base/sound_entries.h
#        check_exports.sh map soundlib/exports.map base/sound_entries.h
# "library" lists the dynamic symbols the built library defines; "map" the
# names of the version script's global part.
set -eu
kind=$1
file=$2
table=$3
expected=$(sed -n 's/^ *X([A-Za-z]*, \([A-Za-z_]*\), .*/\1/p' "$table" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$(echo "$expected" | wc -w)" -ne 15 ]; then
  echo "the table lists $(echo "$expected" | wc -w) entry points, not 15: $expected"
  exit 1
fi
case "$kind" in
  library) names=$(nm -D --defined-only --format=just-symbols "$file") ;;
  map) names=$(sed -n '/global:/,/local:/p' "$file" | sed -n 's/^ *\([A-Za-z_][A-Za-z_0-9]*\);.*/\1/p') ;;
  *) echo "usage: check_exports.sh library|map FILE TABLE"; exit 2 ;;
esac
actual=$(echo "$names" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "$file differs from the table:"
  echo "  table: $expected"
  echo "  $kind: $actual"
  exit 1
fi
echo "$kind: $actual"
