#!/bin/sh
# The version script of the sound library names exactly the entry points of
# the table, so the library exports what the binding looks up.
# Usage: check_exports_map.sh soundlib/exports.map base/sound_entries.h
set -eu
. "$(dirname "$0")/entry_names.sh"
expected=$(entry_names "$2")
if [ "$(echo "$expected" | wc -w)" -ne 15 ]; then
  echo "the table lists $(echo "$expected" | wc -w) entry points, not 15: $expected"
  exit 1
fi
# The names between "global:" and "local:", without their semicolons.
listed=$(sed -n '/global:/,/local:/p' "$1" | sed -n 's/^ *\([A-Za-z_][A-Za-z_0-9]*\);.*/\1/p' |
         LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$listed" != "$expected" ]; then
  echo "exports.map differs from the table:"
  echo "  table:       $expected"
  echo "  exports.map: $listed"
  exit 1
fi
echo "exports.map: $listed"
