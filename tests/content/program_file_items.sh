#!/usr/bin/env bash
# The program file carries the nine items in start-up order, each decoding
# to its size, and each item decodes back to the content the build made.
set -uo pipefail
qzpack=$1
program=$2
content=$(dirname "$program")/../content
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

list=$("$qzpack" list "$program") || { echo "FAIL: list"; exit 1; }
echo "$list"
[ "$(echo "$list" | grep -cE "^ *[0-9]+ ")" -eq 9 ] || fail "not nine items"
i=1
for entry in wide.pal:1024 wide.pix:768000 music.mp3:2181746 opening.pal:1024 opening.pix:76800 \
             closing.pal:1024 closing.pix:76800 loading.pal:1024 loading.pix:76800; do
  file=${entry%%:*}
  size=${entry##*:}
  name="${file%?}~"
  echo "$list" | grep -Eq "^ *$i +${name//./\\.} +[0-9]+ +[0-9]+ +$size\$" || fail "item $i is not $name of $size bytes"
  work=$(mktemp)
  "$qzpack" extract "$program" "$i" "$work" && cmp -s "$work" "$content/$file" || fail "item $i differs from $file"
  rm -f "$work"
  i=$((i + 1))
done
[ "$failures" -eq 0 ] || exit 1
