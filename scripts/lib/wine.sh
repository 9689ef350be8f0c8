# The Windows build under Wine, for the Wine stages. Sourced from the
# repository's root after xvfb.sh and run.sh; the stage defines fail() and
# calls wine_cleanup from its exit trap. Set before sourcing for another
# build or another Wine:
#   wine_build    the cross-build folder (build-win)
#   wine_builder  the command that makes it (scripts/build-windows)
#   wine_loader   Wine's loader (/usr/lib/wine/wine64: the wine wrapper
#                 would pick a 32-bit one)
#   wine_server   its server (/usr/lib/wine/wineserver64)
# What it gives:
#   wine_setup [--desktop]  builds (once for a state of the sources),
#                 starts Xvfb at wine_screen and the stage's own copy of a
#                 prefix made once (with a virtual desktop as large, which
#                 alone offers 320x240 modes, when asked); sets work, dist,
#                 prog, tests, shots, match
#   wine_run_in DIR ARGS...  runs the loader with ARGS from DIR to its end
#                 (at most wine_run_limit s, 60), its output in $run_out
#                 and its exit code in $rc
#   wine_start ARGS...  run_start of the program from $dist
#   wine_reg KEY NAME TYPE DATA, wine_unreg KEY NAME  one registry value
#   wine_restart  a new server, once a setting its start reads has changed
#   wine_probe    the mode in force, "WIDTH HEIGHT", in $mode_size and the
#                 demo window's client area in client_x, client_y,
#                 client_w, client_h; false when there is no demo window
#   wine_shoot NAME  the X screen as $work/NAME.ppm and $shots/NAME.png
#   desktop_size, desktop_is SIZE, desktop_settled, client_is [AREA]
#                 the virtual desktop's size and waits on it (below)
#   wine_exports DLL  the names a DLL exports, sorted, on one line

: "${wine_build:=build-win}"
: "${wine_builder:=scripts/build-windows}"
: "${wine_loader:=/usr/lib/wine/wine64}"
: "${wine_server:=/usr/lib/wine/wineserver64}"
# The X screen's size, "WIDTH HEIGHT", and the virtual desktop's.
wine_screen="1024 768"

. scripts/lib/apt.sh
. scripts/lib/names.sh

# No debug output, no Mono or Gecko prompts, and no ALSA: waveOutOpen then
# fails as on a machine without a sound device, and fmod.dll plays to its
# silent output.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv="

# The state of the sources: the commit, the changes to it and the files
# git does not know yet.
wine_sources() {
  git rev-parse HEAD
  git diff HEAD
  git ls-files -o --exclude-standard -z | xargs -0 -r sha256sum
}

# Each Wine stage needs the build; the builder costs many seconds even when
# nothing changed, so it runs once for a state of the sources (each time
# outside a git checkout).
wine_build_once() {
  local stamp="$wine_build/.built-from" sum=
  if git rev-parse HEAD >/dev/null 2>&1; then
    sum=$(wine_sources | sha256sum | cut -d' ' -f1)
  fi
  if [ -n "$sum" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$sum" ] && [ -f "$wine_build/dist/QZ_Quillwave2k.exe" ]; then
    return 0
  fi
  rm -f "$stamp"
  "$wine_builder" >/dev/null
  [ -z "$sum" ] || echo "$sum" >"$stamp"
}

# The prefix all stages copy, in $wine_base: made once for a version of
# Wine, where a crash ends the process at once instead of waiting on a
# dialog. Made under a lock of its own (the build folder's is the
# builder's).
wine_base_prefix() {
  local version
  mkdir -p "$wine_build"
  wine_base="$(pwd)/$wine_build/wine-prefix"
  version=$("$wine_loader" --version)
  (
    exec {fd}>"$wine_build/.wine-prefix.lock"
    flock "$fd"
    [ "$(cat "$wine_base/.made-by" 2>/dev/null)" != "$version" ] || exit 0
    rm -rf "$wine_base"
    export WINEPREFIX=$wine_base
    "$wine_loader" wineboot -i >/dev/null 2>&1 || exit 1
    wine_reg 'HKCU\Software\Wine\WineDbg' ShowCrashDialog REG_DWORD 0 || exit 1
    "$wine_server" -w
    echo "$version" >"$wine_base/.made-by"
  )
}

# A copy of the base prefix at $1. Its Windows folder, hundreds of
# megabytes of DLLs that Wine only reads, is hard-linked where it can be;
# the registry and the user's folders, which Wine writes, are copied.
wine_copy_prefix() {
  local f
  if cp -al "$wine_base" "$1" 2>/dev/null; then
    for f in "$wine_base"/*.reg "$wine_base/.update-timestamp"; do
      cp -a --remove-destination "$f" "$1/"
    done
    rm -rf "$1/drive_c/users"
    cp -a "$wine_base/drive_c/users" "$1/drive_c/"
  else
    rm -rf "$1"
    cp -a "$wine_base" "$1"
  fi
}

wine_reg() { "$wine_loader" reg add "$1" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1; }
wine_unreg() { "$wine_loader" reg delete "$1" /v "$2" /f >/dev/null 2>&1; }

# A wineserver that starts with a client exits soon after its last one, and
# a program started just then finds it going away ("recvmsg: Connection
# reset by peer"): the server is held for the stage.
wine_restart() {
  "$wine_server" -k 2>/dev/null || true
  "$wine_server" -w
  "$wine_server" -p
}

wine_setup() {
  local root
  root=$(pwd)
  apt_install wine wine64 xvfb xdotool x11-apps imagemagick
  wine_build_once
  dist="$root/$wine_build/dist"
  prog="$dist/QZ_Quillwave2k.exe"
  tests="$root/$wine_build/tests"
  shots="$root/$wine_build/wine"
  match="$root/build/bin/qz_frames"
  mkdir -p "$shots"
  work=$(mktemp -d)
  xvfb_start "${wine_screen/ /x}x24" || fail "no X server"
  wine_base_prefix || fail "Wine could not make a prefix"
  wine_copy_prefix "$work/prefix"
  export WINEPREFIX="$work/prefix"
  if [ "${1:-}" = --desktop ]; then
    wine_reg 'HKCU\Software\Wine\Explorer' Desktop REG_SZ Default
    wine_reg 'HKCU\Software\Wine\Explorer\Desktops' Default REG_SZ "${wine_screen/ /x}"
  fi
  wine_restart
  if [ "${1:-}" = --desktop ]; then
    # Starts the desktop, so no run waits on it.
    "$wine_loader" "$tests/qz_wine_probe.exe" >/dev/null 2>&1 || true
    desktop_settled
  fi
}

other_pid=

wine_cleanup() {
  [ -z "$other_pid" ] || kill "$other_pid" 2>/dev/null || true
  run_end
  if [ -n "${WINEPREFIX:-}" ]; then
    "$wine_server" -k 2>/dev/null || true
  fi
  xvfb_stop
  [ -z "${work:-}" ] || rm -rf "$work"
}

wine_run_in() {
  local dir=$1
  shift
  run_start "$dir" "$wine_loader" "$@"
  run_wait "${wine_run_limit:-60}"
}

wine_start() { run_start "$dist" "$wine_loader" ./QZ_Quillwave2k.exe "$@"; }

wine_probe() {
  local out
  mode_size= client_x= client_y= client_w= client_h=
  out=$("$wine_loader" "$tests/qz_wine_probe.exe" 2>/dev/null | tr -d '\r')
  mode_size=$(sed -n 's/^mode \([0-9]* [0-9]*\) [0-9]*$/\1/p' <<<"$out")
  read -r client_x client_y client_w client_h < <(sed -n 's/^client //p' <<<"$out") || true
  [ -n "${client_x:-}" ]
}

# xwd fails now and then with BadWindow when a window goes away while it
# reads the screen (a run starting or ending): it is tried again.
wine_shoot() {
  local try
  for try in 1 2 3 4 5; do
    if xwd -root -silent 2>/dev/null | convert xwd:- "ppm:$work/$1.ppm" 2>/dev/null; then
      convert "$work/$1.ppm" "$shots/$1.png"
      return 0
    fi
    sleep 0.1
  done
  fail "no screenshot $1 after $try tries"
}

# The size of Wine's virtual desktop, which is the mode in force, from its X
# window: "WIDTH HEIGHT", or nothing. While a program switches the mode, no
# other Wine process may start: each one, starting, records the desktop
# window's size as the mode in force, and the desktop's owner then keeps the
# old size (Wine 8) while the program believes its mode was set. So a switch
# is watched here, and the probe runs once the desktop has its new size.
desktop_size() {
  local id geometry
  id=$(xdotool search --name '^Default - Wine desktop$' 2>/dev/null | head -n1) || true
  [ -n "$id" ] || return 0
  geometry=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null) || return 0
  echo "$(sed -n 's/^WIDTH=//p' <<<"$geometry") $(sed -n 's/^HEIGHT=//p' <<<"$geometry")"
}

# True when the desktop is $1 (a "WIDTH HEIGHT"); fails the stage when the
# run has ended instead.
desktop_is() {
  if [ -n "$run_pid" ] && ! run_alive; then
    run_wait 1
    fail "the run ended with exit code $rc while the desktop was $(desktop_size), want $1"
  fi
  [ "$(desktop_size)" = "$1" ]
}

# Waits until the desktop is back at its own size.
desktop_settled() {
  run_poll 60 desktop_is "$wine_screen" || fail "the desktop did not come back to $wine_screen: $(desktop_size)"
}

# True when the probe finds the demo window's client area at $1 (an
# "X Y WIDTH HEIGHT"), or any when $1 is empty.
client_is() {
  wine_probe || return 1
  [ -z "${1:-}" ] || [ "$client_x $client_y $client_w $client_h" = "$1" ]
}

wine_exports() {
  x86_64-w64-mingw32-objdump -p "$1" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
    sed -n 's/^\t\[ *[0-9]*\] //p' | LC_ALL=C sort | tr '\n' ' '
}
