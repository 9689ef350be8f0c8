# What more than one Wine stage checks of a run. Sourced after wine.sh.
#   watch_fade_in NAME X Y W H  screenshots until the opening picture has
#                 faded in most of the way, every one after the first frame
#                 showing a frame the system draws at (X, Y), W x H of it
#   shows_scaled NAME TRIES PAUSE X Y SCALE DEPTH  screenshots until one
#                 shows a frame, not black, SCALE times from (X, Y) in the
#                 colours of DEPTH bits; up to TRIES, PAUSE s apart
#   away_and_back NAME SIZE DEPTH  Alt+Tab to another program and back
#                 shows the picture again; SIZE is a command printing the
#                 screen's "WIDTH HEIGHT"
#   stood_in OPTION DEPTH [alttab]  full screen where the mode is stood in
#                 for, from start to Escape

# Once a shot shows a frame, every later one must show a frame, and some
# must show the opening picture fading in. (The last level, 128, is drawn
# before the picture's hold and shown only after it.)
watch_fade_in() {
  local seen=0 fading=0 result= level last=-1 i
  for i in $(seq 60); do
    wine_shoot "$1-$i"
    if result=$("$match" "$prog" --at "$2" "$3" --size "$4" "$5" --closest "$work/$1-$i.ppm"); then
      seen=1
      echo "   shot $i: $result"
      case "$result" in
        opening*) fading=1 ;;
      esac
      level=${result#opening }
      [ "$fading" = 1 ] && [ "$level" -ge 112 ] 2>/dev/null && break
      # On a busy machine the shots may miss the top of the fade: once the
      # level falls the picture has faded in and is on its way out.
      [ "$fading" = 1 ] && [ "$level" -lt "$last" ] 2>/dev/null && break
      [[ "$level" =~ ^[0-9]+$ ]] && last=$level
    elif [ "$seen" = 1 ]; then
      fail "shot $i ($shots/$1-$i.png) shows no frame the system draws: $result"
    fi
    sleep 0.3
  done
  [ "$seen" = 1 ] || fail "no shot of $1 showed a frame the system draws: $result"
  [ "$fading" = 1 ] || fail "no shot of $1 caught the opening picture fading in"
}

shows_scaled() {
  local result= i
  for i in $(seq "$2"); do
    wine_shoot "$1-$i"
    if result=$("$match" "$prog" --at "$4" "$5" --scale "$6" --depth "$7" --closest "$work/$1-$i.ppm") &&
      [ "$result" != black ]; then
      echo "   shot $i: $result at $6x"
      return 0
    fi
    sleep "$3"
  done
  fail "no shot of $1 ($shots/$1-$i.png) shows the frame at $6x from ($4, $5): $result"
}

# The frame's place on a screen of WIDTH HEIGHT at DEPTH bits: the largest
# whole factor, centred; its corner and factor in place_x, place_y and
# place_f, and as qz_frames options in $at.
frame_place() {
  local w=$names_frame_width h=$names_frame_height
  place_f=$(($1 / w < $2 / h ? $1 / w : $2 / h))
  place_x=$((($1 - w * place_f) / 2))
  place_y=$((($2 - h * place_f) / 2))
  at="--at $place_x $place_y --scale $place_f --depth $3"
}

# The screen shows a frame the system draws, whole, other than $away_before
# and not black (what a picture that never came back would look like).
shown_again() {
  if ! run_alive; then
    run_wait 1
    fail "the run ended with exit code $rc after Alt+Tab back"
  fi
  wine_shoot "$away_name-back"
  # shellcheck disable=SC2046 # the size, word by word
  frame_place $($away_size) "$away_depth"
  # shellcheck disable=SC2086 # $at is the frame's place, word by word
  away_now=$("$match" "$prog" $at "$work/$away_name-back.ppm") &&
    [ "$away_now" != "$away_before" ] && [ "$away_now" != black ]
}

other_gone() { ! kill -0 "$other_pid" 2>/dev/null; }

# Another program's window (the probe's) takes the foreground, and the
# presentation stays alive; then it switches back as Alt+Tab does and
# closes. Wine may leave the screen at the desktop's mode after the real
# mode's window loses the foreground: the window then covers it and shows
# the frame scaled, hence the size asked again after.
away_and_back() {
  away_name=$1 away_size=$2 away_depth=$3 away_now=
  # shellcheck disable=SC2046
  frame_place $($away_size) "$away_depth"
  # shellcheck disable=SC2086
  away_before=$(wine_shoot "$away_name-before" && "$match" "$prog" $at "$work/$away_name-before.ppm") ||
    fail "no frame before Alt+Tab ($shots/$away_name-before.png): $away_before"
  # The probe switches back when its input ends: the stage holds a fifo open.
  rm -f "$work/back"
  mkfifo "$work/back"
  "$wine_loader" "$tests/qz_wine_probe.exe" away <"$work/back" >"$work/away.out" 2>/dev/null &
  other_pid=$!
  exec 9>"$work/back"
  run_poll 30 grep -q '^away' "$work/away.out" || fail "the other program's window did not take the foreground"
  echo "   away: $(tr -d '\r' <"$work/away.out" | tr '\n' ' ')"
  grep -q '^state 0 ' "$work/away.out" || fail "the presentation kept the foreground"
  run_alive || fail "the run ended when another program took the foreground"
  wine_shoot "$away_name-away"
  exec 9>&-
  run_poll 30 other_gone || fail "the other program did not switch back and close"
  wait "$other_pid" 2>/dev/null || true
  other_pid=
  run_poll 30 shown_again ||
    fail "after Alt+Tab back ($shots/$away_name-back.png) no new frame ($at): $away_now, before $away_before"
  echo "   back: $away_before, then $away_now, on a screen of $($away_size)"
}

# The window covers the whole screen, whose mode stays.
covers_desktop() {
  wine_probe && [ "$mode_size $client_x $client_y $client_w $client_h" = "$wine_screen 0 0 $wine_screen" ]
}

# Full screen OPTION where the mode is stood in for: the window covers the
# screen, whose mode stays; the opening fades in scaled and centred in the
# colours of DEPTH bits; with alttab, Alt+Tab away and back shows it again;
# Escape ends with 0; the X screen's size is as it was.
stood_in() {
  frame_place $wine_screen "$2"
  echo "-- full screen $1 stood in for: the desktop's mode kept, the frame ${place_f}x centred at $2 bits"
  wine_start "$1"
  if ! run_poll 60 covers_desktop; then
    run_alive || { run_wait 1; fail "full screen $1 ended at once with exit code $rc"; }
    fail "the mode in force is ${mode_size:-none} and the window covers ${client_w:-?} x ${client_h:-?}" \
      "at (${client_x:-?}, ${client_y:-?}), want the desktop's $wine_screen covered whole"
  fi
  shows_scaled "stood${1#/}" 60 0.2 "$place_x" "$place_y" "$place_f" "$2"
  if [ "${3:-}" = alttab ]; then
    echo "-- full screen $1 stood in for: Alt+Tab away and back shows the picture again"
    away_and_back "alttab${1#/}" "xdotool getdisplaygeometry" "$2"
  fi
  xdotool key Escape
  run_wait 10
  [ "$rc" = 0 ] || fail "exit code $rc after Escape in full screen $1, want 0"
  [ "$(xdotool getdisplaygeometry)" = "$wine_screen" ] || fail "the X screen is $(xdotool getdisplaygeometry) after $1"
}
