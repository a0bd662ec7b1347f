#!/usr/bin/env bash
# A game recorded with --record in a real window, with the joystick setting
# on and no pad connected: the mouse flies the ship (the recording holds the
# mouse's requests), and the recording replayed headless ends with the score
# the game itself wrote at its end.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
printf 'joystick = 1\r\nmusic = 0\r\n' > "$work/vantomir.ini"

start_display 800 600
launch_game "$work" --record "$work/game.vrec"
move_to 320 230; click   # START
pointer_x=320
pointer_y=240
wait_for_recorded "$work/game.vrec" 240   # the entry run
xdotool mousedown 1
move_to 639 240          # full speed to the right, firing
wait_for_recorded "$work/game.vrec" 720
move_to 0 240            # and back
wait_for_recorded "$work/game.vrec" 840
xdotool mouseup 1
press Escape             # to the title
leave_by_escape "$GAME_PID" "from the title"

recording_text "$work/game.vrec" > "$work/game.txt"
grep -q '^game .* joystick 1$' "$work/game.txt" || fail "the recording does not note the joystick setting"
# The mouse's rule (three values a frame) and the pointer's full requests.
fastest=$(recorded_inputs "$work/game.vrec" | awk 'NF == 3 { if ($1 > m) m = $1 } END { print m + 0 }')
slowest=$(recorded_inputs "$work/game.vrec" | awk 'NF == 3 { if ($1 < m) m = $1 } END { print m + 0 }')
[ "$fastest" -gt 1000 ] && [ "$slowest" -lt -1000 ] ||
  fail "with no pad the mouse did not fly the ship (requests $slowest..$fastest)"
echo "   joystick on, no pad: the mouse flies the ship ($slowest..$fastest)"

# "end score S lives L level V frames F digest D", as the game wrote it.
read -r _ _ score _ lives _ level _ frames _ < <(grep '^end ' "$work/game.txt") ||
  fail "the recording has no end"
replayed=$("$tool" play --replay "$work/game.vrec" --frames 1000000 --quiet) || fail "the replay failed"
expected="{\"frames\":$frames,\"score\":$score,\"lives\":$lives,\"level\":$level,"
[[ "$replayed" == "$expected"* ]] || fail "replayed: $replayed; the game ended with $expected"
echo "   replayed headless: $frames frames to score $score with $lives lives, as in the window"
"$tool" verify "$work/game.vrec" | grep -q '^ok ' || fail "the recording does not verify"
# Tampered with, it does not: a frame line changed, or the end line.
middle=$(( $(awk '$1 ~ /^-?[0-9]+$/' "$work/game.txt" | wc -l) / 2 ))
awk -v k="$middle" '$1 ~ /^-?[0-9]+$/ && ++n == k { $1 = ($1 > 0) ? $1 - 700 : $1 + 700 } { print }' \
  "$work/game.txt" > "$work/frame-changed.vrec"
awk '/^end / { $3 = $3 + 1 } { print }' "$work/game.txt" > "$work/end-changed.vrec"
cmp -s "$work/game.txt" "$work/frame-changed.vrec" && fail "no frame line was changed"
for f in frame-changed end-changed; do
  "$tool" verify "$work/$f.vrec" > "$work/$f.out" && fail "verify passes the recording with the $f: $(cat "$work/$f.out")"
  grep -q '^FAIL ' "$work/$f.out" || fail "verify does not say FAIL for the $f"
done
echo "   verify: the recording holds; with a frame or its end line changed, it does not"
echo "PASS"
