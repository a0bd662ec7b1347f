# Helpers for the end-to-end tests: a virtual X display with a window
# manager, the game's window, screenshots and pixels. A test sources this
# file first; it takes the test's arguments (the game and vantomir-tool) and
# gives it a scratch folder, $work, removed at the end with every process the
# test started.

game="${1:-}"
tool="${2:-}"
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

# start_display WIDTH HEIGHT: Xvfb on a free display number with openbox;
# exports DISPLAY. A number that turns out to be taken is given up for another.
start_display() {
  local attempt n i xvfb
  for attempt in 1 2 3 4 5; do
    n=$((100 + RANDOM % 800))
    [ -e "/tmp/.X${n}-lock" ] || [ -e "/tmp/.X11-unix/X${n}" ] && continue
    Xvfb ":$n" -screen 0 "${1}x${2}x24" -nolisten tcp >/dev/null 2>&1 &
    xvfb=$!
    export DISPLAY=":$n"
    for i in $(seq 100); do
      xdpyinfo >/dev/null 2>&1 && break
      kill -0 "$xvfb" 2>/dev/null || break
      sleep 0.1
    done
    if xdpyinfo >/dev/null 2>&1; then
      E2E_PIDS+=("$xvfb")
      openbox >/dev/null 2>&1 &
      E2E_PIDS+=($!)
      sleep 0.5
      return 0
    fi
    kill "$xvfb" 2>/dev/null
    wait "$xvfb" 2>/dev/null
  done
  fail "Xvfb did not start"
}

stop_display() {
  cleanup_e2e
}

# wait_for_window NAME: waits up to 10 s for a visible window of that name and
# gives it the focus; prints its id.
wait_for_window() {
  local id="" i
  for i in $(seq 100); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1 || true)
    [ -n "$id" ] && break
    sleep 0.1
  done
  [ -n "$id" ] || fail "no window named $1 appeared"
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || xdotool windowfocus "$id" >/dev/null 2>&1 || true
  echo "$id"
}

# wait_for_file PATH [SECONDS]
wait_for_file() {
  local i limit=$(( ${2:-5} * 10 ))
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
# frame pixel.
pointer_x=480
pointer_y=360
move_to() {
  xdotool mousemove_relative -- $(( $1 - pointer_x )) $(( $2 - pointer_y ))
  pointer_x=$1
  pointer_y=$2
  sleep 0.15
}
click() {
  xdotool click 1
  sleep 0.25
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
  GAME_WINDOW=$(wait_for_window Vantomir)
  sleep 1.5
}

# leave_by_escape PID WHAT: Escape on the title ends the game (PID) with exit
# code 0 within 3 s, or the test fails naming WHAT.
leave_by_escape() {
  xdotool key Escape
  wait_for_exit "$1" 3
  [ "$EXIT_CODE" = 0 ] || fail "$2: the game ended with $EXIT_CODE"
}
