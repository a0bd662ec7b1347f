#!/usr/bin/env bash
# Closing the game any way but through its title menu keeps what the player
# did: the window's close button after a changed option and a name typed on
# the keyboard into the high-score table; Alt+F4, SIGTERM, SIGINT and SIGHUP
# after a changed option.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_display 1024 768

# OPTIONS, VOLUME to 70, BACK.
change_volume() {
  move_to 320 282; click
  move_to 465 265; click
  move_to 530 452; click
}
# score_so_far FILE: the score of the game being recorded into FILE, from
# its whole lines replayed headless (0 when they do not replay).
score_so_far() {
  head -n "$(wc -l < "$1")" "$1" > "$work/so-far.vrec"
  local score
  score=$("$tool" play --replay "$work/so-far.vrec" --frames 1000000 --quiet 2>/dev/null |
    sed -n 's/.*"score":\([0-9]*\).*/\1/p')
  echo "${score:-0}"
}
# settings_of DIR: what the game's file there gives the game.
settings_of() {
  "$tool" settings "$1/vantomir.ini" 2>/dev/null
}

# --- The close button, after a game that ends in the high-score table. The
# table starts with eight scores of 0 (coded as the game codes them), so that
# any score enters it.
dir="$work/close"
mkdir "$dir"
cat > "$dir/vantomir.ini" <<'INI'
score01 = 153272257266195021339005307293419309275453387367101
score02 = 144451248233170486074198122054026278058118474062102
score03 = 139498083072017375321391417199241375193167017433103
score04 = 130429266295504200120072232472360344488216104136104
score05 = 133092253134351089367265047233479441143265191411105
score06 = 188015084101262042102458342506182410406442246202106
score07 = 183062271452237443285139157139301507189491205477107
score08 = 174233230163084268020332452412388476324028260260108
INI
settings_of "$dir" | grep -q '"name":"ZERO    ","score":0' || fail "the prepared table does not read"
launch_game "$dir" --window --record "$dir/game.vrec"
change_volume
move_to 320 230; click            # START
# Full speed to the right, firing (each death puts the pointer back in the
# centre, so it is pushed to the right edge again and again), until the game
# so far, replayed headless from the recording, has scored; then the ship
# stands still, unarmed, until the creatures end the game. Flying on to the
# end scores on every seed but takes three times as long; stopping after a
# fixed 10 s left one seed in nine on 0 points, too few for the table.
xdotool mousedown 1
since=$SECONDS
pushes=0
until grep -q '^end ' "$dir/game.vrec" 2>/dev/null; do
  [ $((SECONDS - since)) -lt 300 ] || fail "the game scored nothing in 300 s"
  xdotool mousemove_relative -- 400 0
  sleep 0.1
  pushes=$((pushes + 1))
  if [ $((pushes % 10)) = 0 ] && [ "$(recorded_frames "$dir/game.vrec")" -ge 300 ] &&
      [ "$(score_so_far "$dir/game.vrec")" -gt 0 ]; then
    break
  fi
done
xdotool mouseup 1
xdotool mousemove_relative -- -1000 0
sleep 0.1
xdotool mousemove_relative -- 320 0
since=$SECONDS
until grep -q '^end ' "$dir/game.vrec" 2>/dev/null; do
  [ $((SECONDS - since)) -lt 150 ] || fail "the game did not end within 150 s of standing still"
  sleep 0.1
done
end_line=$(grep '^end ' "$dir/game.vrec")
score=$(echo "$end_line" | awk '{ print $3 }')
[ "$score" -gt 0 ] || fail "the game scored nothing, too little for the table"
wait_for_frames 10                 # the name entry is up
xdotool type --delay 120 "e2e"     # the name, typed
wait_for_frames 2
screenshot "$work/name-entry.png"
wmctrl -c Vantomir
wait_for_exit "$GAME_PID" 20
[ "$EXIT_CODE" = 0 ] || fail "closed by its button, the game ended with $EXIT_CODE"
after=$(settings_of "$dir")
echo "$after" | grep -q '"volume":70' || fail "the changed volume was lost: $after"
echo "$after" | grep -q "\"name\":\"E2E     \",\"score\":$score" ||
  { cp "$work/name-entry.png" /tmp/ 2>/dev/null; fail "the new entry (E2E, $score) is not in the table: $after"; }
echo "   close button: volume and the new high score (E2E, $score) kept"

# --- Alt+F4 and the signals a desktop or a terminal sends.
close_by() {
  local how=$1 dir="$work/$1"
  mkdir "$dir"
  launch_game "$dir"
  change_volume
  case "$how" in
    alt+F4) xdotool key alt+F4 ;;
    *) kill -s "$how" "$GAME_PID" ;;
  esac
  wait_for_exit "$GAME_PID" 20
  [ "$EXIT_CODE" = 0 ] || fail "closed by $how, the game ended with $EXIT_CODE"
  settings_of "$dir" | grep -q '"volume":70' || fail "closed by $how, the changed volume was lost"
  echo "   $how: volume kept"
}
close_by alt+F4
close_by TERM
close_by INT
close_by HUP
echo "PASS"
