# Running the test stages: the executables of a folder (scripts/test.d).
# Sourced.
#   stage_limit STAGE     its time limit in seconds: the N of a line
#                         "# Time limit: N s" in its first 20 lines, or
#                         stage_default_limit
#   stages_run DIR LOGS   runs DIR's stages in two lanes (below), each under
#                         its limit, keeping their output and results in the
#                         folder LOGS; prints each stage's output whole when
#                         it ends, so lanes never mix; then sets
#                         stages_passed (a count) and stages_failed (the
#                         names of those that failed, in name order)
#
# The stages run in two lanes side by side, each lane in name order: the
# Linux stages (up to 79-) in one, the other platforms' (80- on: the
# browsers and Wine) in the other. Most stages spend their time waiting on
# real-time runs, so two lanes nearly halve the wall time on two cores.
# Builds shared by both lanes take a lock (scripts/lib/lock.sh).
#
# A stage runs under coreutils' timeout, in a process group of its own:
# past its limit the whole group gets SIGTERM (the stage's exit trap still
# cleans up), SIGKILL stage_grace seconds later, and whatever the stage
# started is killed once it ends, so a hung run, X server, browser or
# wineserver cannot hold up the lane.

stage_default_limit=1200
stage_grace=30
stages_id="$$.$RANDOM"

# Kills with SIGNAL the processes whose environment holds a line that
# begins with MARK.
stage_kill() {
  local f
  for f in $(grep -lzF "$1" /proc/[0-9]*/environ 2>/dev/null); do
    grep -qz "^$1" "$f" 2>/dev/null && kill "-$2" "${f//[^0-9]/}" 2>/dev/null
  done
  return 0
}

stage_limit() {
  local limit
  limit=$(head -n 20 "$1" | sed -n 's/^# Time limit: \([0-9][0-9]*\) s$/\1/p' | head -n 1)
  echo "${limit:-$stage_default_limit}"
}

# Runs one stage; its output in LOGS/NAME.log, "STATUS SECONDS" in
# LOGS/NAME.result. Its processes carry a mark in their environment, which
# they keep when they leave the process group (a daemon, a new session):
# after the stage, any still running is killed.
stage_run() {
  local stage=$1 logs=$2 name limit start status=0 mark
  name=$(basename "$stage")
  limit=$(stage_limit "$stage")
  mark="QZ_STAGE_RUN=$stages_id.$name="
  start=$SECONDS
  env "$mark" timeout -k "$stage_grace" "$limit" "$stage" >"$logs/$name.log" 2>&1 </dev/null || status=$?
  stage_kill "$mark" KILL
  if [ "$status" = 124 ] || [ "$status" = 137 ]; then
    echo "$name: timed out after $limit s" >>"$logs/$name.log"
  fi
  echo "$status $((SECONDS - start))" >"$logs/$name.result"
}

stage_lane() {
  local logs=$1 stage name status took
  shift
  for stage in "$@"; do
    name=$(basename "$stage")
    stage_run "$stage" "$logs"
    read -r status took <"$logs/$name.result"
    {
      flock 9
      echo "== $name"
      cat "$logs/$name.log"
      if [ "$status" -eq 0 ]; then
        echo "== $name: passed in $took s"
      else
        echo "== $name: FAILED after $took s"
      fi
    } 9>"$logs/print.lock"
  done
}

stages_run() {
  local dir=$1 logs=$2 stage name status linux=() others=() lane
  for stage in "$dir"/*; do
    [ -x "$stage" ] && [ -f "$stage" ] || continue
    case "$(basename "$stage")" in
      [0-7][0-9]-*) linux+=("$stage") ;;
      *) others+=("$stage") ;;
    esac
  done
  # An interrupt ends both lanes and every stage's processes (which run in
  # process groups of their own, out of the terminal's reach).
  trap 'kill "$lane" 2>/dev/null; stage_kill "QZ_STAGE_RUN=$stages_id." TERM; exit 130' INT TERM
  stage_lane "$logs" "${linux[@]}" &
  lane=$!
  stage_lane "$logs" "${others[@]}"
  wait "$lane"
  trap - INT TERM

  stages_passed=0
  stages_failed=
  for stage in "${linux[@]}" "${others[@]}"; do
    name=$(basename "$stage")
    read -r status _ <"$logs/$name.result" 2>/dev/null || status=missing
    if [ "$status" = 0 ]; then
      stages_passed=$((stages_passed + 1))
    else
      stages_failed="$stages_failed $name"
    fi
  done
  stages_failed=${stages_failed# }
}
