# An X server of the stage's own, for the test stages that need a display.
# Sourced. xvfb_start SCREEN (WIDTHxHEIGHTxDEPTH) [XVFB-OPTION...] starts
# Xvfb on a display number it finds free itself, without a window manager, and exports
# DISPLAY; xvfb_stop ends it. A stage calls xvfb_stop from its exit trap,
# so no server outlives it.

xvfb_pid=
xvfb_dir=

xvfb_start() {
  xvfb_stop
  if ! command -v Xvfb >/dev/null; then
    echo "Xvfb is not installed (scripts/deps installs it)"
    return 1
  fi
  xvfb_dir=$(mktemp -d)
  Xvfb -displayfd 3 -screen 0 "$1" "${@:2}" -nolisten tcp 3>"$xvfb_dir/display" >"$xvfb_dir/log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$xvfb_dir/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$xvfb_dir/display" ]; then
    echo "Xvfb did not start:"
    tail -n 20 "$xvfb_dir/log" | sed 's/^/  | /'
    xvfb_stop
    return 1
  fi
  export DISPLAY=":$(head -n1 "$xvfb_dir/display")"
}

xvfb_stop() {
  if [ -n "$xvfb_pid" ]; then
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  xvfb_pid=
  if [ -n "$xvfb_dir" ]; then
    rm -rf "$xvfb_dir"
  fi
  xvfb_dir=
}
