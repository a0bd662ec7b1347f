# Helpers for the end-to-end tests: a virtual X display with a window
# manager, the game's window, screenshots and pixels. A test sources this
# file first; it takes the test's arguments (the game, vantomir-tool, the
# picture probe and its checker) and gives it a scratch folder, $work,
# removed at the end with every process the test started.

game="${1:-}"
tool="${2:-}"
picture_probe="${3:-}"
picture_check="${4:-}"
work=$(mktemp -d)
chmod 755 "$work"
E2E_PIDS=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cleanup_e2e() {
  local pid
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${E2E_PIDS[@]}"; do wait "$pid" 2>/dev/null || true; done
  E2E_PIDS=()
}
trap 'cleanup_e2e; rm -rf "$work"' EXIT

# start_xvfb WIDTH HEIGHT: Xvfb on a display number it finds free itself
# (several tests may run at once on one machine), without a window manager;
# exports DISPLAY.
start_xvfb() {
  local number xvfb n="" i
  number=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${1}x${2}x24" -nolisten tcp 3> "$number" >/dev/null 2>&1 &
  xvfb=$!
  E2E_PIDS+=("$xvfb")
  for i in $(seq 300); do
    n=$(cat "$number" 2>/dev/null)
    [ -n "$n" ] && break
    kill -0 "$xvfb" 2>/dev/null || fail "Xvfb did not start"
    sleep 0.1
  done
  rm -f "$number"
  [ -n "$n" ] || fail "Xvfb did not start within 30 s"
  export DISPLAY=":$n"
  xdpyinfo >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"
}

# start_display WIDTH HEIGHT: start_xvfb with openbox.
start_display() {
  start_xvfb "$1" "$2"
  openbox >/dev/null 2>&1 &
  E2E_PIDS+=($!)
  sleep 0.5
}

stop_display() {
  cleanup_e2e
}

# start_weston WIDTH HEIGHT [SCALE]: a Wayland desktop, weston, on its own
# Xvfb (no other window manager), where xdotool's input reaches it and
# screenshots see what it shows. Its output is WIDTH x HEIGHT in the
# desktop's units, SCALE (1 unless told) output pixels to a unit, and fills
# the X screen; its background is magenta, a colour the game never shows.
# Exports XDG_RUNTIME_DIR (a fresh folder of mode 0700, as weston asks) and
# WAYLAND_DISPLAY; sets WESTON_PID.
WESTON_COUNT=0
start_weston() {
  local scale=${3:-1} i
  start_xvfb $(( $1 * scale )) $(( $2 * scale ))
  WESTON_COUNT=$((WESTON_COUNT + 1))
  export XDG_RUNTIME_DIR="$work/runtime-$WESTON_COUNT"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  export WAYLAND_DISPLAY=vantomir-test
  cat > "$work/weston.ini" <<'INI'
[core]
idle-time=0
[shell]
panel-position=none
background-color=0xffff00ff
locking=false
INI
  weston --backend=x11-backend.so --use-pixman --width="$1" --height="$2" --scale="$scale" \
    --socket="$WAYLAND_DISPLAY" --config="$work/weston.ini" --log="$work/weston-$WESTON_COUNT.log" \
    >/dev/null 2>&1 &
  WESTON_PID=$!
  E2E_PIDS+=("$WESTON_PID")
  for i in $(seq 600); do
    [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] && break
    kill -0 "$WESTON_PID" 2>/dev/null || { cat "$work/weston-$WESTON_COUNT.log" >&2; fail "weston did not start"; }
    sleep 0.1
  done
  [ -S "$XDG_RUNTIME_DIR/$WAYLAND_DISPLAY" ] || fail "weston made no socket within a minute"
  # Its shell is up once the background shows (looked for off the centre
  # and the corner, where weston's own pointer may be).
  for i in $(seq 600); do
    screenshot "$work/weston.png"
    [ "$(pixel "$work/weston.png" $(( $1 * scale / 4 )) $(( $2 * scale * 3 / 4 )))" = "255 0 255" ] && return 0
    sleep 0.1
  done
  fail "weston showed no desktop within a minute"
}

# magenta_pixels FILE: how many pixels of the picture show weston's
# background.
magenta_pixels() {
  convert "$1" -alpha off -fill black +opaque '#ff00ff' -fill white -opaque '#ff00ff' \
    -format '%[fx:int(mean*w*h+0.5)]' info:
}

# On a busy machine the game runs slower than the clock, so the tests do not
# time the game with sleeps: they watch its frames. The title, the menus and
# a game all move every frame, and a pass reads the input as it begins and
# shows its frame as it ends, so once the screen has changed twice after an
# input was sent, the game has taken it in and acted on it.

# screen_sum: a checksum of what the X screen shows now.
screen_sum() {
  import -window root rgb:- 2>/dev/null | cksum
}

# wait_for_frames N: waits until the game has shown at least N new frames
# (the screen has changed N times); fails when it stands still for a minute.
wait_for_frames() {
  local seen=0 last now since=$SECONDS
  last=$(screen_sum)
  while [ "$seen" -lt "$1" ]; do
    now=$(screen_sum)
    if [ "$now" != "$last" ]; then
      seen=$((seen + 1))
      last=$now
      since=$SECONDS
    elif [ $((SECONDS - since)) -ge 60 ]; then
      fail "the screen stood still for a minute"
    fi
  done
}

# find_window NAME: the id of a visible window of that name, or nothing.
find_window() {
  xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | tail -n 1 || true
}

# focus_window ID
focus_window() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus "$1" >/dev/null 2>&1 || true
}

# await_window NAME [SECONDS]: waits (a minute unless told) for a visible
# window of that name and prints its id; returns 1 when none appears.
await_window() {
  local id i
  for i in $(seq $(( ${2:-60} * 10 ))); do
    id=$(find_window "$1")
    [ -n "$id" ] && echo "$id" && return 0
    sleep 0.1
  done
  return 1
}

# wait_for_window NAME: waits up to a minute for a visible window of that name,
# gives it the focus and waits for its first frames; prints its id. (SDL may
# replace the first window it makes when it sets up drawing: the id is looked
# up again once the game draws.)
wait_for_window() {
  local id
  id=$(await_window "$1") || fail "no window named $1 appeared"
  focus_window "$id"
  wait_for_frames 2
  local drawn
  drawn=$(find_window "$1")
  [ -n "$drawn" ] || fail "the window named $1 went away"
  [ "$drawn" = "$id" ] || focus_window "$drawn"
  echo "$drawn"
}

# wait_for_file PATH [SECONDS]: waits for the file to have something in it
# (30 s unless told).
wait_for_file() {
  local i limit=$(( ${2:-30} * 10 ))
  for i in $(seq "$limit"); do
    [ -s "$1" ] && return 0
    sleep 0.1
  done
  return 1
}

# pixel FILE X Y: prints "R G B" of one pixel (0..255 each).
pixel() {
  convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | tail -n 1 |
    sed -E 's/.*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/'
}

# rmse A B: the normalised root-mean-square difference of two pictures, 0..1.
rmse() {
  compare -metric RMSE "$1" "$2" null: 2>&1 | sed -E 's/.*\((.*)\).*/\1/'
}

# screenshot FILE: the whole X screen.
screenshot() {
  import -window root "$1"
}

# wait_for_exit PID SECONDS: waits for the process (a child of this shell);
# sets EXIT_CODE to its exit code, or to "timeout".
wait_for_exit() {
  local i
  EXIT_CODE=timeout
  for i in $(seq $(( $2 * 20 ))); do
    if ! kill -0 "$1" 2>/dev/null; then
      wait "$1"
      EXIT_CODE=$?
      return 0
    fi
    sleep 0.05
  done
}

# The game's pointer, in 640x480 frame pixels, as far as the test moved it:
# it starts at (480, 360), and every pixel of relative motion moves it one
# frame pixel. Each move and click waits for the game to take it in.
pointer_x=480
pointer_y=360
move_to() {
  xdotool mousemove_relative -- $(( $1 - pointer_x )) $(( $2 - pointer_y ))
  pointer_x=$1
  pointer_y=$2
  wait_for_frames 2
}
click() {
  xdotool click 1
  wait_for_frames 2
}
# press KEY...: xdotool key, taken in by the game.
press() {
  xdotool key "$@"
  wait_for_frames 2
}

# launch_game DIR [ARGS...]: starts the game silently with its files in DIR,
# waits for its window and sets GAME_PID and GAME_WINDOW.
launch_game() {
  local dir=$1
  shift
  pointer_x=480
  pointer_y=360
  SDL_AUDIODRIVER=dummy "$game" --dir "$dir" "$@" 2>> "$dir/stderr.txt" &
  GAME_PID=$!
  E2E_PIDS+=("$GAME_PID")
  GAME_WINDOW=$(wait_for_window Vantomir) || { cat "$dir/stderr.txt" >&2; fail "the game did not show its window"; }
  wait_for_frames 10
}

# leave_by_escape PID WHAT: Escape on the title ends the game (PID) with exit
# code 0 (within 20 s, however busy the machine), or the test fails naming WHAT.
leave_by_escape() {
  xdotool key Escape
  wait_for_exit "$1" 20
  [ "$EXIT_CODE" = 0 ] || fail "$2: the game ended with $EXIT_CODE"
}

# recording_text FILE: the text of a recording (--record), which the game
# writes compressed as it plays (and pushes to the file once a second); its
# whole lines so far when the game is still writing it.
recording_text() {
  local text
  text=$({ gzip -dc < "$1"; } 2>/dev/null; echo x)
  text=${text%x}
  [[ "$text" == *$'\n'* ]] && printf '%s' "${text%$'\n'*}"$'\n'
}

# recorded_inputs FILE: the input of each play frame a recording holds so
# far, a line a frame ("inputVX inputVY fireHeld", and stickX where the ship
# turned by the joystick's rule); a line ending "xN" is written N times.
recorded_inputs() {
  recording_text "$1" | awk 'NF >= 3 && $1 ~ /^-?[0-9]+$/ {
    n = ($NF ~ /^x[0-9]+$/) ? substr($NF, 2) + 0 : 1
    sub(/[ \t]+x[0-9]+[ \t]*$/, "")
    for (i = 0; i < n; i++) print
  }'
}

# recorded_frames FILE: how many play frames a recording holds so far.
recorded_frames() {
  recorded_inputs "$1" | wc -l
}

# played FILE N: true once the recording holds N play frames, or the end of
# the game.
played() {
  [ "$(recorded_frames "$1")" -ge "$2" ] || recording_text "$1" | grep -q '^end '
}

# wait_for_recorded FILE N: waits until played FILE N (fails after five
# minutes).
wait_for_recorded() {
  local since=$SECONDS
  until played "$1" "$2"; do
    [ $((SECONDS - since)) -lt 300 ] || fail "the game did not play $2 frames"
    sleep 0.1
  done
}

# wait_until_still: waits (up to a minute) until the screen has not changed
# for a second: the game stands still.
wait_until_still() {
  local last now still=$SECONDS start=$SECONDS
  last=$(screen_sum)
  while [ $((SECONDS - still)) -lt 2 ]; do
    [ $((SECONDS - start)) -lt 60 ] || fail "the screen did not stand still"
    sleep 0.2
    now=$(screen_sum)
    [ "$now" = "$last" ] || still=$SECONDS
    last=$now
  done
}
