#!/usr/bin/env bash
# Window and pause in a real game: Alt+Enter makes a window smaller than the
# screen and back again, F11 as well; P stops the game (the screen stands
# still) and P again lets it go on.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_display 1024 768

# geometry: the size of the game's window as the window manager has it
# (looked up afresh: SDL may replace the first window it makes).
geometry() {
  local id
  id=$(xdotool search --onlyvisible --name '^Vantomir$' 2>/dev/null | tail -n 1)
  [ -n "$id" ] && xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry/ { print $2 }'
}
# expect_geometry SIZE WHAT: waits up to 30 s for the window to take that size.
expect_geometry() {
  local i size=""
  for i in $(seq 300); do
    size=$(geometry)
    [ "$size" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2: the window is ${size:-gone}, not $1"
}

launch_game "$work"
expect_geometry 1024x768 "at the start"
for key in alt+Return F11; do
  xdotool key "$key"
  expect_geometry 640x480 "$key"
  xdotool key "$key"
  expect_geometry 1024x768 "$key again"
  echo "   $key: a 640x480 window, then full screen again"
done

move_to 320 230; click   # START
sleep 5                  # the level caption is gone, the enemies move
xdotool key p
wait_until_still
screenshot "$work/paused-1.png"
sleep 1
screenshot "$work/paused-2.png"
[ "$(rmse "$work/paused-1.png" "$work/paused-2.png")" = 0 ] || fail "the paused screen still moves"
press p
screenshot "$work/going-on.png"
awk -v d="$(rmse "$work/paused-2.png" "$work/going-on.png")" 'BEGIN { exit !(d > 0) }' ||
  fail "the game did not go on after P"
echo "   P: the screen stands still; P again: it moves"

press Escape             # to the title
leave_by_escape "$GAME_PID" "from the title"
echo "PASS"
