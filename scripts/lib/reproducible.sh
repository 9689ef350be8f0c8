# What makes the artefacts the same bytes for the same commit, whoever
# builds it, wherever and whenever. Sourced from the repository's root.
# SOURCE_DATE_EPOCH (kept when already set) is the one time every archive
# member, package header and image carries: the commit's own time, or,
# outside a git checkout (a source archive), noon UTC of the release date
# that packaging/CMakeLists.txt names. Files are made with umask 022 and
# archives list their members in the C locale's order.
if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  if [ "$(git rev-parse --show-toplevel 2>/dev/null)" = "$(pwd -P)" ]; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
  else
    qz_release_date=$(sed -n 's/^set(QZ_RELEASE_DATE \([0-9-]*\))$/\1/p' packaging/CMakeLists.txt)
    SOURCE_DATE_EPOCH=$(date -u -d "$qz_release_date 12:00" +%s)
    echo "Not a git checkout: SOURCE_DATE_EPOCH is the release date, $qz_release_date 12:00 UTC" >&2
  fi
fi
export SOURCE_DATE_EPOCH
umask 022
export LC_ALL=C

# zip_sorted DIR ZIP: DIR's files into ZIP (a path from DIR's parent, or
# absolute), named from DIR's own name down, in sorted order, with
# SOURCE_DATE_EPOCH's time in UTC, no owners, modes 644 (755 for Windows
# images) and folders 755.
zip_sorted() {
  local parent name
  parent=$(dirname "$1")
  name=$(basename "$1")
  find "$1" -type d -exec chmod 755 {} + -o -type f -exec chmod 644 {} +
  find "$1" -type f \( -name '*.exe' -o -name '*.dll' \) -exec chmod 755 {} +
  find "$1" -exec touch -h -d "@$SOURCE_DATE_EPOCH" {} +
  rm -f "$parent/$2"
  (cd "$parent" && find "$name" | sort | TZ=UTC zip -X -q -9 "$2" -@)
}
