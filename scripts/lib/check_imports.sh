#!/bin/sh
# Checks that Windows images import only functions an older Windows has:
# every "DLL function" pair in their import tables must be a line of the
# baseline (DLL names in any case, "#" comments). Prints how many distinct
# imports were checked; fails naming each one the baseline lacks.
# Usage: check_imports.sh OBJDUMP BASELINE IMAGE...
#   (OBJDUMP: the image's architecture's, e.g. i686-w64-mingw32-objdump)
set -eu
objdump=$1
baseline=$2
shift 2
imports() {
  "$objdump" -p "$1" | awk '
    /^\tDLL Name: / { dll = toupper($3); next }
    /^$/ { dll = "" }
    dll != "" && /^\t[0-9a-f]+\t +[0-9]+ +[^ ]+$/ { print dll " " $3 }'
}
known=$(mktemp)
trap 'rm -f "$known"' EXIT
sed -e 's/#.*//' -e '/^[[:space:]]*$/d' "$baseline" | awk '{ print toupper($1) " " $2 }' | LC_ALL=C sort -u >"$known"
used=$(for image in "$@"; do imports "$image"; done | LC_ALL=C sort -u)
[ -n "$used" ] || { echo "check_imports.sh: no imports read from $*" >&2; exit 1; }
newer=$(printf '%s\n' "$used" | LC_ALL=C comm -23 - "$known")
if [ -n "$newer" ]; then
  echo "imported but not in $baseline:" >&2
  printf '%s\n' "$newer" | sed 's/^/  /' >&2
  exit 1
fi
echo "$(printf '%s\n' "$used" | wc -l) imports, all in $(basename "$baseline")"
