#!/usr/bin/env bash
# versions.sh VERSION QZPACK QZCAPTURE PACKAGING_DIR: every place that shows
# the version shows VERSION.
set -uo pipefail
version=$1 qzpack=$2 qzcapture=$3 dir=$4
failures=0
expect() {  # what, got, want
  if [ "$2" != "$3" ]; then
    echo "FAIL: $1: got '$2', want '$3'"
    failures=$((failures + 1))
  fi
}
expect "qzpack --version" "$("$qzpack" --version 2>&1)" "qzpack $version"
expect "qzcapture --version" "$("$qzcapture" --version 2>&1)" "qzcapture $version"
# The launcher answers before it looks for the program's folder.
expect "launcher --version" "$(QUILLWAVE2K_DIR=/nonexistent "$dir/quillwave2k" --version 2>&1)" "quillwave2k $version"
expect "manual page header" "$(zcat "$dir/quillwave2k.6.gz" | sed -n 's/^\.TH QUILLWAVE2K 6 "[^"]*" "\([^"]*\)".*/\1/p')" \
  "Quillwave 2k $version"
expect "changelog entry" "$(zcat "$dir/changelog.gz" | sed -n '1s/^quillwave2k (\([^)]*\)).*/\1/p')" "$version"
expect "AppStream release" "$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$dir/quillwave2k.metainfo.xml")" "$version"
[ "$failures" = 0 ] && echo "versions: all $version"
exit "$failures"
