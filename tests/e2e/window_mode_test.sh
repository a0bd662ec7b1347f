#!/usr/bin/env bash
# Window and pause in a real game: Alt+Enter makes a window smaller than the
# screen and back again, F11 as well; P stops the game (the screen stands
# still) and P again lets it go on.
set -uo pipefail
game="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/lib.sh"

work=$(mktemp -d)
trap 'cleanup_e2e; rm -rf "$work"' EXIT
start_display 1024 768

# geometry: the size of the game's window as the window manager has it.
geometry() {
  xdotool getwindowgeometry "$GAME_WINDOW" | awk '/Geometry/ { print $2 }'
}

launch_game "$work"
[ "$(geometry)" = "1024x768" ] || fail "the game did not start full screen: $(geometry)"
for key in alt+Return F11; do
  xdotool key "$key"
  sleep 1
  size=$(geometry)
  [ "$size" = "640x480" ] || fail "$key made a window of $size, not 640x480"
  xdotool key "$key"
  sleep 1
  size=$(geometry)
  [ "$size" = "1024x768" ] || fail "$key again gave $size, not the full screen"
  echo "   $key: a 640x480 window, then full screen again"
done

move_to 320 230; click   # START
sleep 5                  # the level caption is gone, the enemies move
xdotool key p
sleep 0.5
screenshot "$work/paused-1.png"
sleep 1
screenshot "$work/paused-2.png"
[ "$(rmse "$work/paused-1.png" "$work/paused-2.png")" = 0 ] || fail "the paused screen still moves"
xdotool key p
sleep 1
screenshot "$work/going-on.png"
awk -v d="$(rmse "$work/paused-2.png" "$work/going-on.png")" 'BEGIN { exit !(d > 0) }' ||
  fail "the game did not go on after P"
echo "   P: the screen stands still; P again: it moves"

xdotool key Escape
sleep 0.3
xdotool key Escape
wait_for_exit "$GAME_PID" 3
[ "$EXIT_CODE" = 0 ] || fail "the game ended with $EXIT_CODE"
echo "PASS"
