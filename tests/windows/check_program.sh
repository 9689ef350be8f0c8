#!/usr/bin/env bash
# Reads the Windows program's resources back from the built file and checks
# the zip, for scripts/test.d/90-wine-units: the icon is the host build's icon file
# (16, 32, 48 and 256 pixels), the version information names the product
# and the project's version, the one manifest asks for asInvoker and
# per-monitor DPI awareness and names Vista alone; the zip holds the
# program, fmod.dll and README.txt with Windows line ends (and the licences).
# Usage: check_program.sh ROOT (the source tree, with build/ and build-win/)
set -euo pipefail
root=$1
exe="$root/build-win/dist/QZ_Quillwave2k.exe"
zip="$root/build-win/Quillwave2k-windows-x64.zip"
host="$root/build"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*"
  exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$host/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $host/CMakeCache.txt"
IFS=. read -r major minor patch _ <<<"$version"
program_name=$(sed -n 's/^constexpr char ProgramFileName\[\] = "\(.*\)";$/\1/p' "$root/base/names.h")

# One group icon, one version record and one manifest, each numbered 1 (the
# shell shows the first icon; Windows reads manifest 1 of a program).
wrestool -l "$exe" >"$work/list"
for type in 14 16 24; do
  names=$(sed -n "s/^--type=$type --name=\([0-9]*\) .*/\1/p" "$work/list" | tr '\n' ' ')
  [ "$names" = "1 " ] || fail "resources of type $type are numbered '$names', want exactly 1: $(cat "$work/list")"
done

# wrestool rebuilds the icon file from the resources, with some bytes of
# its own after the images.
wrestool -x -t14 -n1 "$exe" >"$work/icon.ico"
icon="$host/packaging/quillwave2k.ico"
cmp -s -n "$(stat -c %s "$icon")" "$work/icon.ico" "$icon" || fail "the program's icon is not $icon"
sizes=$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\) --bit-depth=32.*/\1x\2/p' |
  tr '\n' ' ')
[ "$sizes" = "16x16 32x32 48x48 " ] || fail "the icon holds the bitmaps '$sizes', want 16, 32 and 48 pixels at 32 bits"
icotool -l "$work/icon.ico" | grep -q -- '--width=256 --height=256 --bit-depth=24' || fail "the icon has no 256-pixel image"
# Each image decodes, and none is one flat colour.
icotool -x -o "$work" "$work/icon.ico"
for png in "$work"/icon_*.png; do
  colours=$(convert "$png" -format '%k' info:)
  [ "$colours" -gt 16 ] || fail "$(basename "$png") has only $colours colours"
done

# The version record: the fixed part's numbers, then the strings as pairs.
wrestool -x --raw -t16 -n1 "$exe" >"$work/version"
fixed=$(od -An -v -tx1 "$work/version" | tr -d ' \n' | sed -n 's/.*bd04effe00000100\(.\{32\}\).*/\1/p')
word() { echo $((16#${fixed:$(($1 * 4 + 2)):2}${fixed:$(($1 * 4)):2})); }
[ -n "$fixed" ] || fail "the version record has no fixed part"
got="$(word 1).$(word 0).$(word 3).$(word 2) $(word 5).$(word 4).$(word 7).$(word 6)"
want="$major.${minor:-0}.${patch:-0}.0 $major.${minor:-0}.${patch:-0}.0"
[ "$got" = "$want" ] || fail "file and product version $got, want $want"
strings -el -n2 "$work/version" >"$work/strings"
value() { sed -n "/^$1\$/{n;p;q}" "$work/strings"; }
for pair in "ProductName=Quillwave 2k" "CompanyName=Orvalund" "FileVersion=$version" "ProductVersion=$version" \
  "OriginalFilename=$program_name"; do
  [ "$(value "${pair%%=*}")" = "${pair#*=}" ] || fail "version information ${pair%%=*} is '$(value "${pair%%=*}")'"
done
[[ "$(value FileDescription)" == *"audiovisual presentation"* ]] ||
  fail "version information FileDescription is '$(value FileDescription)'"

# The manifest: well-formed, and what it asks for.
wrestool -x --raw -t24 -n1 "$exe" >"$work/manifest"
xmllint --noout "$work/manifest" || fail "the manifest is not well-formed XML"
xpath() { xmllint --xpath "$1" "$work/manifest" 2>/dev/null || true; }
[ "$(xpath "string(//*[local-name()='requestedExecutionLevel']/@level)")" = asInvoker ] ||
  fail "the manifest does not ask for asInvoker"
[ "$(xpath "string(//*[local-name()='dpiAwareness'])")" = "PerMonitorV2, PerMonitor" ] ||
  fail "the manifest's dpiAwareness is '$(xpath "string(//*[local-name()='dpiAwareness'])")'"
[ "$(xpath "string(//*[local-name()='dpiAware'])")" = true/pm ] || fail "the manifest's dpiAware is not true/pm"
os=$(xpath "//*[local-name()='supportedOS']/@Id" | tr -d ' ')
[ "$os" = 'Id="{e2011457-1546-43c5-a5fe-008deee3d3f0}"' ] || fail "the manifest names the systems $os, want Vista alone"
[ "$(xpath "string(//*[local-name()='assemblyIdentity']/@version)")" = "$major.${minor:-0}.${patch:-0}.0" ] ||
  fail "the manifest's assembly version is not the project's"

# The zip: the program, fmod.dll and README.txt side by side in its one
# folder, the README with Windows line ends throughout.
listing=$(cmake -E tar tf "$zip" | grep -v '/$' | LC_ALL=C sort | tr '\n' ' ')
for file in QZ_Quillwave2k.exe fmod.dll README.txt; do
  [[ " $listing" == *" Quillwave2k/$file "* ]] || fail "the zip holds no Quillwave2k/$file: $listing"
done
(cd "$work" && cmake -E tar xf "$zip")
readme="$work/Quillwave2k/README.txt"
lines=$(wc -l <"$readme")
crlf=$(grep -c $'\r$' "$readme" || true)
[ "$lines" -gt 20 ] && [ "$crlf" = "$lines" ] || fail "README.txt has $crlf CRLF ends in $lines lines"
cmp -s "$work/Quillwave2k/QZ_Quillwave2k.exe" "$exe" || fail "the zip's program is not the one built"
echo "   icon ${sizes}256x256; version $version; manifest asInvoker, PerMonitorV2, Vista; zip: $listing"
