#!/bin/sh
# Lists the dynamic symbols a library defines and compares them with the
# fifteen entry points of the sound library.
# Usage: check_exports.sh LIBRARY base/sound_entries.h
set -eu
. "$(dirname "$0")/entry_names.sh"
expected=$(entry_names "$2")
if [ "$(echo "$expected" | wc -w)" -ne 15 ]; then
  echo "the table lists $(echo "$expected" | wc -w) entry points, not 15: $expected"
  exit 1
fi
actual=$(nm -D --defined-only --format=just-symbols "$1" | LC_ALL=C sort | tr '\n' ' ' | sed 's/ $//')
if [ "$actual" != "$expected" ]; then
  echo "exports differ:"
  echo "  expected: $expected"
  echo "  actual:   $actual"
  exit 1
fi
echo "exports: $actual"
