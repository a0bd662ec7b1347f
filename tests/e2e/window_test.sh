#!/usr/bin/env bash
# The game in a real window under Xvfb and openbox, at two screen sizes: the
# letterboxed picture fills the screen, F12 writes snap000001.bmp and then
# snap000002.bmp showing what the screen shows, Escape on the title ends the
# program with exit code 0 (the time it took is printed).
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

check_size() {
  local width=$1 height=$2 frameWidth=$3 frameHeight=$4
  local top=$(( (height - frameHeight) / 2 ))
  local left=$(( (width - frameWidth) / 2 ))
  echo "-- ${width}x${height}: picture ${frameWidth}x${frameHeight} at ($left, $top)"
  start_display "$width" "$height"
  rm -f "$work"/snap*.bmp
  (cd "$work" && SDL_AUDIODRIVER=dummy exec "$game" --dir .) &
  local pid=$!
  E2E_PIDS+=("$pid")
  local window
  window=$(wait_for_window Vantomir) || fail "no window"
  wait_for_frames 40   # the logo lands on the title's 32nd frame

  screenshot "$work/screen.png"
  local geometry
  geometry=$(identify -format '%wx%h' "$work/screen.png")
  [ "$geometry" = "${width}x${height}" ] || fail "screen is $geometry"
  # The picture's middle shows the title's background; bars, if any, are black.
  local middle
  middle=$(pixel "$work/screen.png" $((width / 2)) $((height / 2)))
  [ "$middle" != "0 0 0" ] || fail "the middle of the screen is black"
  if [ "$top" -gt 0 ]; then
    [ "$(pixel "$work/screen.png" $((width / 2)) $((top / 2)))" = "0 0 0" ] || fail "top bar not black"
    [ "$(pixel "$work/screen.png" $((width / 2)) $((height - 1 - top / 2)))" = "0 0 0" ] ||
      fail "bottom bar not black"
  fi
  [ "$(pixel "$work/screen.png" $((width / 2)) $((top + 2)))" != "0 0 0" ] ||
    fail "the picture does not reach the top of its area"

  xdotool key --window "$window" F12
  wait_for_file "$work/snap000001.bmp" || fail "F12 wrote no snap000001.bmp"
  wait_for_frames 2
  xdotool key --window "$window" F12
  wait_for_file "$work/snap000002.bmp" || fail "a second F12 wrote no snap000002.bmp"
  [ "$(stat -c %s "$work/snap000001.bmp")" = 921654 ] || fail "snap000001.bmp has the wrong size"
  [ "$(identify -format '%wx%h' "$work/snap000001.bmp")" = "640x480" ] || fail "snap is not 640x480"
  # What the file shows is what the screen shows, scaled. The plasma of the
  # title flows, so the two are compared where the landed logo stands (opaque,
  # still), at 640x480 and softened so that scaling and scanlines average out;
  # the same picture shifted down by 12 pixels must differ far more.
  local logo="300x80+168+88"
  convert "$work/screen.png" -crop "${frameWidth}x${frameHeight}+${left}+${top}" +repage \
    -resize 640x480\! -crop "$logo" +repage -blur 0x2 "$work/screen-frame.png"
  convert "$work/snap000001.bmp" -crop "$logo" +repage -blur 0x2 "$work/snap-small.png"
  convert "$work/snap000001.bmp" -roll +0+12 -crop "$logo" +repage -blur 0x2 "$work/snap-shifted.png"
  local same shifted
  same=$(rmse "$work/screen-frame.png" "$work/snap-small.png")
  shifted=$(rmse "$work/screen-frame.png" "$work/snap-shifted.png")
  awk -v a="$same" -v b="$shifted" 'BEGIN { exit !(a < 0.05 && 3 * a < b) }' ||
    { cp "$work"/*.png "$work"/snap000001.bmp /tmp/ 2>/dev/null; fail "the screenshot differs from the screen (RMSE $same, shifted picture $shifted)"; }
  echo "   screenshot against screen: RMSE $same (a shifted picture: $shifted)"

  local started=$(date +%s%N)
  xdotool key --window "$window" Escape
  wait_for_exit "$pid" 20
  [ "$EXIT_CODE" = 0 ] || fail "Escape on the title: exit code $EXIT_CODE"
  local took=$(( ($(date +%s%N) - started) / 1000000 ))
  echo "   Escape ended the game in ${took} ms"
  stop_display
}

check_size 1280 1024 1280 960
check_size 800 600 800 600
echo "PASS"
