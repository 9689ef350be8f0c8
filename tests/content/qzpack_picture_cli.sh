#!/usr/bin/env bash
# qzpack picture and preview: round trips through indexed and true-colour
# PNGs, and bad input refused with exit status 1 and one line on stderr.
source "$(dirname "$0")/../common/qzpack_cli.sh" "$1"

# Items to PNG and back: the same bytes.
# A palette item: blue, green, red, 0 for each of the 256 entries.
for i in $(seq 0 255); do
  printf "\\x$(printf %02x $((i * 7 % 256)))\\x$(printf %02x $(((i * 13 + 5) % 256)))\\x$(printf %02x $((255 - i)))\\x00"
done >pal.bin
head -c 6000 /dev/urandom >pix.bin
"$qzpack" preview pal.bin pix.bin 100 p.png || fail "preview"
"$qzpack" picture p.png pal2.bin pix2.bin >/dev/null || fail "picture of an indexed PNG"
cmp -s pal.bin pal2.bin || fail "palette changed in the round trip"
cmp -s pix.bin pix2.bin || fail "pixels changed in the round trip"
[ "$(identify -format '%w %h' p.png)" = "100 60" ] || fail "preview size: $(identify -format '%w %h' p.png)"

# A true-colour picture is reduced to 256 colours that look like it.
convert -size 64x48 gradient:'#102040-#ffa060' -depth 8 PNG24:true.png
"$qzpack" picture true.png tpal.bin tpix.bin >/dev/null || fail "picture of a true-colour PNG"
[ "$(stat -c %s tpal.bin)" -eq 1024 ] || fail "palette size"
[ "$(stat -c %s tpix.bin)" -eq 3072 ] || fail "pixel count"
"$qzpack" preview tpal.bin tpix.bin 64 back.png || fail "preview of the reduction"
difference=$(compare -metric RMSE true.png back.png null: 2>&1 | sed 's/.*(\(.*\))/\1/')
awk -v d="$difference" 'BEGIN { exit !(d < 0.01) }' || fail "reduction differs by $difference"
"$qzpack" picture true.png dpal.bin dpix.bin --dither >/dev/null || fail "picture --dither"
"$qzpack" --help | grep -q 'preview PALETTE PIXELS WIDTH OUT.png' || fail "--help"

# Bad input.
refused "picture without arguments" picture
refused "picture of a missing file" picture nothere.png a b
refused "picture of a non-PNG" picture pal.bin a b
refused "picture with an unknown option" picture true.png a b --sharpen
refused "picture into a missing folder" picture true.png nowhere/a b
refused "preview with width 0" preview pal.bin pix.bin 0 x.png
refused "preview with a bad width" preview pal.bin pix.bin ten x.png
refused "preview of a short palette" preview pix.bin pix.bin 100 x.png
refused "preview of broken rows" preview pal.bin pix.bin 7 x.png
refused "preview of missing pixels" preview pal.bin nothere.bin 100 x.png
refused "preview into a missing folder" preview pal.bin pix.bin 100 nowhere/x.png

finish "qzpack picture tests passed"
