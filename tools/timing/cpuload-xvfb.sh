#!/usr/bin/env bash
# Runs qz_cpuload under an X server of its own (Xvfb at 1024x768, no window
# manager, no sound card: SDL's disk audio driver writes to /dev/null), in a
# window and in full screen, and prints one line per mode. The X server's
# own CPU is reported beside the program's.
# Usage: tools/timing/cpuload-xvfb.sh [seconds]   (from the source tree, after a build)
set -euo pipefail
cd "$(dirname "$0")/../.."
seconds=${1:-10}
[ -x build/bin/qz_cpuload ] || { echo "build/bin/qz_cpuload is not built" >&2; exit 1; }
source scripts/lib/xvfb.sh
work=$(mktemp -d)
cleanup() {
  xvfb_stop
  rm -rf "$work"
}
trap cleanup EXIT

xvfb_start 1024x768x24
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=/dev/null
unset SDL_VIDEODRIVER

for mode in /w full; do
  option=$mode
  [ "$mode" = full ] && option=
  line=$(cd build/dist && LD_LIBRARY_PATH=. QZ_MEASURE_ALSO=$xvfb_pid \
    ../bin/qz_cpuload $option "$seconds" 2>"$work/stderr") || { cat "$work/stderr" >&2; exit 1; }
  echo "$mode: ${line/process $xvfb_pid/Xvfb}"
done
