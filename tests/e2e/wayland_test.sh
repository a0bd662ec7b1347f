#!/usr/bin/env bash
# The game natively on Wayland (SDL's wayland driver, no X display in its
# environment) under weston: it starts full screen and draws, its F12
# screenshot is the frame the headless game composes (wherever the title
# stands still), the relative pointer works the menus and flies the ship
# both ways, F11 and Alt+Enter switch between full screen and a 640x480
# window, and when the desktop goes away (the user logs out) the game ends
# normally and keeps the option changed before.
#
# weston engages a pointer lock only once the window has been clicked;
# until then SDL reports the pointer's motion twice, as a position and as
# relative motion. A player's first click does that on the title; the test
# clicks first too.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

started=$SECONDS
start_weston 1024 768
dir="$work/game"
mkdir "$dir"
# The headless game's frames of the same start, for the screenshot.
reference_passes=(100 131 167 211 257 300)
mkdir "$work/headless"
"$tool" run --frames 301 --snap "$(IFS=,; echo "${reference_passes[*]}")" --dir "$work/headless" \
  --out "$work/headless" > /dev/null || fail "vantomir-tool run failed"
references=()
for pass in "${reference_passes[@]}"; do references+=("$(printf '%s/headless/frame-%06d.bmp' "$work" "$pass")"); done

# Without decorations a window is its picture alone, whichever decoration
# plugins this machine has.
env -u DISPLAY SDL_VIDEODRIVER=wayland SDL_VIDEO_WAYLAND_ALLOW_LIBDECOR=0 SDL_AUDIODRIVER=dummy \
  "$game" --dir "$dir" --record "$dir/game.vrec" 2>> "$dir/stderr.txt" &
GAME_PID=$!
E2E_PIDS+=("$GAME_PID")
for i in $(seq 600); do
  screenshot "$work/screen.png"
  [ "$(magenta_pixels "$work/screen.png")" -lt 1000 ] && break
  kill -0 "$GAME_PID" 2>/dev/null || { cat "$dir/stderr.txt" >&2; fail "the game ended without a window"; }
  sleep 0.1
done
wait_for_frames 40   # the logo has landed
screenshot "$work/screen.png"
[ "$(magenta_pixels "$work/screen.png")" = 0 ] || fail "the game does not fill the screen"
echo "   full screen, drawing"

# F12, before the pointer moves: the game's frame where the headless game's
# title stands still over six passes (the logo, the words, the pointer).
# Six passes do not show every faint glow of the flowing plasma over those
# pixels, so a few values may be off by a few levels; a wrong, shifted or
# rescaled frame differs in thousands of them, by far more.
xdotool key F12
wait_for_file "$dir/snap000001.bmp" || fail "F12 wrote no snap000001.bmp"
still_fx='u[0] == u[5] && u[1] == u[5] && u[2] == u[5] && u[3] == u[5] && u[4] == u[5]'
still=$(convert "${references[@]}" -fx "$still_fx" -format '%[fx:int(mean*w*h*3+0.5)]' info:)
off=$(convert "${references[@]}" "$dir/snap000001.bmp" -fx "($still_fx) && abs(u[6] - u[5]) > 1.5 / 255" \
  -format '%[fx:int(mean*w*h*3+0.5)]' info:)
worst=$(convert "${references[@]}" "$dir/snap000001.bmp" -fx "($still_fx) ? abs(u[6] - u[5]) : 0" \
  -format '%[fx:int(maxima*255+0.5)]' info:)
[ "$still" -gt 20000 ] || fail "the headless title has too little that stands still ($still values)"
[ $((off * 200)) -lt "$still" ] && [ "$worst" -le 16 ] ||
  fail "the screenshot differs from the headless frame where it stands still: $off of $still values by more than one level, by up to $worst"
# And the screen shows that frame (compared where the logo stands, softened).
logo="300x80+168+88"
convert "$work/screen.png" -resize 640x480\! -crop "$logo" +repage -blur 0x2 "$work/screen-logo.png"
convert "$dir/snap000001.bmp" -crop "$logo" +repage -blur 0x2 "$work/snap-logo.png"
convert "$dir/snap000001.bmp" -roll +0+12 -crop "$logo" +repage -blur 0x2 "$work/snap-shifted.png"
same=$(rmse "$work/screen-logo.png" "$work/snap-logo.png")
shifted=$(rmse "$work/screen-logo.png" "$work/snap-shifted.png")
awk -v a="$same" -v b="$shifted" 'BEGIN { exit !(a < 0.05 && 3 * a < b) }' ||
  fail "the screen does not show the screenshot (RMSE $same, shifted $shifted)"
echo "   F12: the headless frame where it stands still ($off of $still values off by more than one level, by up to $worst); on the screen: RMSE $same (shifted: $shifted)"

# The pointer: a click to engage the lock (on the title, away from the
# words), then to the top left corner, pushed further than the screen is
# wide, so that from there the game's pointer is where the X pointer is.
click
xdotool mousemove 1023 767
wait_for_frames 2
xdotool mousemove 0 0
wait_for_frames 2
move_abs() {
  xdotool mousemove "$1" "$2"
  wait_for_frames 2
}
# OPTIONS, VOLUME to 70, BACK, START.
move_abs 320 282; click
move_abs 465 265; click
move_abs 530 452; click
move_abs 320 230; click
wait_for_recorded "$dir/game.vrec" 30
# fly DX SIGN: pushes the pointer DX from where it is and waits for a
# recorded frame after the push whose requested horizontal speed has that
# sign. A lost ship puts the game's pointer back in the middle, so after
# 3 s without one the pointer is pushed on by 120 more (five times at most:
# the X pointer has to stay on the screen).
fly() {
  local from push since
  from=$(recorded_frames "$dir/game.vrec")
  xdotool mousemove_relative -- "$1" 0
  for push in 1 2 3 4 5; do
    since=$SECONDS
    while [ $((SECONDS - since)) -lt 3 ]; do
      recorded_inputs "$dir/game.vrec" |
        awk -v from="$from" -v sign="$2" 'NR > from && $1 * sign > 0 { found = 1 } END { exit !found }' && return 0
      sleep 0.1
    done
    xdotool mousemove_relative -- $(( 120 * $2 )) 0
  done
  fail "the ship was not asked to fly that way (sign $2) after five pushes"
}
fly 120 1
fly -240 -1
echo "   the pointer worked the menus and flew the ship right and left"
press Escape   # back to the title

# Full screen and a window.
# desktop_shows LOW HIGH WHAT: waits (up to 30 s) until LOW to HIGH pixels of
# the screen show the desktop.
desktop_shows() {
  local i n=""
  for i in $(seq 300); do
    screenshot "$work/screen.png"
    n=$(magenta_pixels "$work/screen.png")
    [ "$n" -ge "$1" ] && [ "$n" -le "$2" ] && return 0
    sleep 0.1
  done
  fail "$3: $n pixels of the desktop show, not $1 to $2"
}
# A 640x480 window leaves the rest of the screen to the desktop, give or
# take weston's pointer.
around_window=$(( 1024 * 768 - 640 * 480 ))
for key in F11 alt+Return; do
  xdotool key "$key"
  desktop_shows $(( around_window - 1000 )) "$around_window" "$key"
  xdotool key "$key"
  desktop_shows 0 0 "$key again"
  echo "   $key: a 640x480 window, then full screen again"
done

# The desktop goes away, as when the user logs out: the game ends by
# itself, with exit code 0, and keeps the volume.
kill -TERM "$WESTON_PID"
wait_for_exit "$GAME_PID" 30
[ "$EXIT_CODE" = 0 ] || { cat "$dir/stderr.txt" >&2; fail "when weston ended, the game ended with $EXIT_CODE"; }
"$tool" settings "$dir/vantomir.ini" 2>/dev/null | grep -q '"volume":70' || fail "the changed volume was lost"
echo "   weston ended: the game ended with 0 and kept the volume"
echo "   (took $((SECONDS - started)) s)"
echo "PASS"
