# What the browser stages share. Sourced from the repository's root.
# web_prepare PACKAGE...: installs node, npm and the engine's Debian
# packages (without their recommended ones), builds build-web/dist and
# qz_webframes, and installs tests/web's pinned drivers.
# web_check ENGINE [--whole]: runs tests/web/check.mjs in that engine.

. scripts/lib/apt.sh

web_prepare() {
  local need=("$@")
  command -v node >/dev/null 2>&1 || need+=(nodejs)
  command -v npm >/dev/null 2>&1 || need+=(npm)
  apt_install --no-recommends "${need[@]}"
  scripts/build-web
  [ -x build/bin/qz_webframes ] || cmake --build build --target qz_webframes
  (cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
}

web_check() {
  local root work status=0
  root=$(pwd)
  work=$(mktemp -d)
  node tests/web/check.mjs "$1" "$root/build-web/dist" "$root/build/dist/QZ_Quillwave2k.exe" \
    "$root/build/bin/qz_webframes" "$work" "${@:2}" || status=$?
  rm -rf "$work"
  return "$status"
}

# web_pulse_start: a PulseAudio server of the stage's own with one null
# sink, for an engine that plays sound only to an output device (Firefox);
# its clock is the system's. Exports PULSE_SERVER; web_pulse_stop ends it.
web_pulse_pid=
web_pulse_dir=

web_pulse_start() {
  web_pulse_dir=$(mktemp -d)
  XDG_RUNTIME_DIR=$web_pulse_dir HOME=$web_pulse_dir pulseaudio -n --daemonize=no --exit-idle-time=-1 \
    --disable-shm --use-pid-file=no --log-target=file:"$web_pulse_dir/log" \
    --load="module-null-sink sink_name=quiet" --load="module-native-protocol-unix" 2>/dev/null &
  web_pulse_pid=$!
  for _ in $(seq 100); do
    [ -S "$web_pulse_dir/pulse/native" ] && break
    kill -0 "$web_pulse_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -S "$web_pulse_dir/pulse/native" ]; then
    echo "PulseAudio did not start:"
    tail -n 20 "$web_pulse_dir/log" 2>/dev/null | sed 's/^/  | /'
    web_pulse_stop
    return 1
  fi
  export PULSE_SERVER="unix:$web_pulse_dir/pulse/native"
}

web_pulse_stop() {
  if [ -n "$web_pulse_pid" ]; then
    kill "$web_pulse_pid" 2>/dev/null || true
    wait "$web_pulse_pid" 2>/dev/null || true
  fi
  web_pulse_pid=
  [ -z "$web_pulse_dir" ] || rm -rf "$web_pulse_dir"
  web_pulse_dir=
}
