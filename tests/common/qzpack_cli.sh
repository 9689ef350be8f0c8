# What the shell tests of qzpack share: a scratch folder to work in,
# failure counting and the check of a refusal. Sourced with the qzpack
# program as its one argument; leaves the script in the scratch folder.
set -uo pipefail
qzpack=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Runs qzpack expecting status 1 and exactly one line on stderr.
refused() {
  local what=$1
  shift
  "$qzpack" "$@" >out.txt 2>err.txt
  local status=$?
  local lines
  lines=$(wc -l <err.txt)
  [ "$status" -eq 1 ] || fail "$what: status $status, expected 1"
  [ "$lines" -eq 1 ] || fail "$what: $lines stderr lines, expected 1: $(cat err.txt)"
}

# Ends the script: status 1 after any failure, else `passed` on stdout.
finish() {
  local passed=$1
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "$passed"
}
