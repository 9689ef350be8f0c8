#!/usr/bin/env bash
# qzpack from the outside: bad input gives exit status 1 and one line on
# stderr; a round trip through encode, decode, build, list and extract.
source "$(dirname "$0")/../common/qzpack_cli.sh" "$1"

# Round trip.
printf 'AAB' >aab.txt
"$qzpack" encode aab.txt aab.q || fail "encode"
expected=0300000001000200424100000100c0
[ "$(od -An -tx1 aab.q | tr -d ' \n')" = "$expected" ] || fail "AAB encodes to $(od -An -tx1 aab.q)"
"$qzpack" decode aab.q aab.out && cmp -s aab.txt aab.out || fail "decode"

head -c 200000 /dev/urandom >noise.bin
seq 1 20000 >numbers.txt
printf 'z' >one.pal
head -c 1234 /dev/zero >program.exe
"$qzpack" build --image program.exe --out demo.exe noise.bin numbers.txt one.pal aab.txt || fail "build"
"$qzpack" list demo.exe >list.txt || fail "list"
[ "$(wc -l <list.txt)" -eq 5 ] || fail "list: $(cat list.txt)"
grep -Eq '^ +3 +one\.pa~ +[0-9]+ +15 +1$' list.txt || fail "list line 3: $(cat list.txt)"
grep -Eq '^ +2 +numbers\.tx~ ' list.txt || fail "list line 2: $(cat list.txt)"
i=1
for f in noise.bin numbers.txt one.pal aab.txt; do
  "$qzpack" extract demo.exe $i x.out && cmp -s "$f" x.out || fail "extract $i"
  i=$((i + 1))
done
"$qzpack" extract demo.exe 4 raw.out --raw && cmp -s aab.q raw.out || fail "extract --raw"
cmp -s <(head -c 1234 demo.exe) program.exe || fail "image not kept in front"
"$qzpack" --help | grep -q 'extract FILE INDEX OUT' || fail "--help"

# Bad input.
refused "no verb"
refused "unknown verb" frobnicate
refused "missing file" list nothere.exe
refused "missing item" build --image program.exe --out x.exe nothere.bin
refused "missing image" build --image nothere.exe --out x.exe one.pal
refused "not an archive" list numbers.txt
refused "not an archive (extract)" extract program.exe 1 x.out
refused "empty file" list /dev/null
refused "directory for a file" list .
refused "index 0" extract demo.exe 0 x.out
refused "index above the count" extract demo.exe 5 x.out
refused "index not a number" extract demo.exe 1x x.out
refused "index too large" extract demo.exe 99999999999 x.out
refused "wrong argument count" encode aab.txt
refused "empty content" encode /dev/null x.q
refused "decode a non-item" decode numbers.txt x.out
refused "decode a cut item" decode <(head -c 10 aab.q) x.out
items=()
for n in $(seq 1 33); do printf "$n" >"i$n.bin"; items+=("i$n.bin"); done
refused "33 items" build --image program.exe --out x.exe "${items[@]}"
"$qzpack" build --image program.exe --out max.exe "${items[@]:0:32}" || fail "32 items"

# A corrupt directory: the item count in the trailer set to 40.
cp demo.exe bad.exe
size=$(stat -c %s bad.exe)
printf '\x28\x00\x00\x00' | dd of=bad.exe bs=1 seek=$((size - 12)) conv=notrunc status=none
refused "corrupt directory" list bad.exe
# A corrupt item: the tree's root index of item 4 set out of range.
cp demo.exe bad.exe
offset=$(awk '$1 == 4 { print $3 }' list.txt)
start=$((size - $(od -An -tu4 -j $((size - 4)) -N4 demo.exe)))
printf '\xff\x7f' | dd of=bad.exe bs=1 seek=$((start + offset + 6)) conv=notrunc status=none
refused "corrupt item" extract bad.exe 4 x.out

finish "qzpack: all checks passed"
