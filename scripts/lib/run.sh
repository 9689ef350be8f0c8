# Starting, waiting for and ending one run of a program in the background,
# for the test stages. Sourced; the stage defines fail() and sets work= (a
# directory of its own) before starting a run.
#   run_start DIR CMD...  starts CMD from DIR, its output in $run_out; the
#                         process id in $run_pid
#   run_alive             whether the run still runs
#   run_poll SECONDS CMD...
#                         runs CMD every tenth of a second until it succeeds
#                         or SECONDS pass (CMD's own time counts), or the
#                         run (if any) ends; then reports CMD's last result
#   run_wait SECONDS      waits for the run to end, failing the stage if it
#                         has not within SECONDS; its exit code in $rc
#   run_whole STARTED     waits for a run left alone to play the whole
#                         presentation from STARTED (date +%s) and checks it
#                         ended with 0 no sooner than the music allows;
#                         how long it took in $took
#   run_end               ends the run, if any (for the exit trap)
# run_step (a tenth of a second) is how often run_wait looks; a stage that
# times how soon a run ends sets it finer.

run_pid=
run_out=
rc=0
run_step=0.1

# The music decides the presentation's length: its last cue comes 125 s
# after it starts. A whole run may take up to run_whole_limit seconds on a
# loaded machine.
run_whole_least=130
run_whole_limit=240

run_start() {
  local dir=$1
  shift
  run_out="$work/run.out"
  : >"$run_out"
  (cd "$dir" && exec "$@" >"$run_out" 2>&1) &
  run_pid=$!
}

run_alive() { [ -n "$run_pid" ] && kill -0 "$run_pid" 2>/dev/null; }

run_poll() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    if [ "$SECONDS" -ge "$deadline" ] || { [ -n "$run_pid" ] && ! run_alive; }; then
      "$@"
      return
    fi
    sleep 0.1
  done
}

run_wait() {
  local deadline=$((SECONDS + $1))
  while run_alive && [ "$SECONDS" -le "$deadline" ]; do
    sleep "$run_step"
  done
  run_alive && fail "the run did not end within $1 s"
  rc=0
  wait "$run_pid" || rc=$?
  run_pid=
}

run_whole() {
  run_wait "$run_whole_limit"
  took=$(($(date +%s) - $1))
  [ "$rc" = 0 ] || fail "exit code $rc at the end of the presentation, want 0"
  [ "$took" -ge "$run_whole_least" ] || fail "the presentation ended after $took s, too early"
  echo "   played for $took s"
}

run_end() {
  if [ -n "$run_pid" ]; then
    kill "$run_pid" 2>/dev/null || true
    wait "$run_pid" 2>/dev/null || true
  fi
  run_pid=
}
