#!/usr/bin/env bash
# scripts/lib/stages.sh on stages made up here: a stage's declared limit is
# read; one past its limit fails with its name and leaves no process
# behind, while a passing and a failing one in the other lane are judged
# as they ended.
# Usage: test_stages.sh SOURCE_DIR
set -euo pipefail
. "$1/scripts/lib/stages.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/d" "$work/logs"
errors=0
fail() {
  echo "FAIL: $*"
  errors=$((errors + 1))
}

# stage NAME BODY [LIMIT]: an executable stage in $work/d.
stage() {
  {
    echo '#!/usr/bin/env bash'
    [ -z "${3:-}" ] || echo "# Time limit: $3 s"
    echo "$2"
  } >"$work/d/$1"
  chmod +x "$work/d/$1"
}
# The slow one leaves a child that ignores SIGTERM, in a session of its own.
stage 20-slow "echo \$\$ >$work/slow.pid; setsid sh -c 'trap \"\" TERM; echo \$\$ >$work/child.pid; sleep 300' & sleep 300" 2
stage 80-good 'echo fine'
stage 81-bad 'exit 3'
stage_grace=2

[ "$(stage_limit "$work/d/20-slow")" = 2 ] || fail "the declared limit was not read"
[ "$(stage_limit "$work/d/80-good")" = "$stage_default_limit" ] || fail "no default limit"

start=$SECONDS
stages_run "$work/d" "$work/logs" >"$work/out"
took=$((SECONDS - start))
cat "$work/out"
grep -qx '20-slow: timed out after 2 s' "$work/out" || fail "the slow stage is not named as timed out"
grep -qx '== 20-slow: FAILED after [0-9]* s' "$work/out" || fail "the slow stage did not fail"
grep -qx '== 80-good: passed in [0-9]* s' "$work/out" || fail "the good stage did not pass"
[ "$stages_passed" = 1 ] || fail "$stages_passed stages passed, want 1"
[ "$stages_failed" = "20-slow 81-bad" ] || fail "failed: '$stages_failed', want '20-slow 81-bad'"
[ "$took" -lt 30 ] || fail "the run took $took s for a stage with a 2 s limit"
# Killed is enough: a zombie may wait a moment for its new parent to reap it.
running() { local state; state=$(ps -o stat= -p "$1") && [[ "$state" != Z* ]]; }
for pid in slow child; do
  if running "$(cat "$work/$pid.pid")"; then
    kill -KILL "$(cat "$work/$pid.pid")"
    fail "the slow stage's $pid process outlived it"
  fi
done
[ "$errors" = 0 ] && echo "stages: ok"
