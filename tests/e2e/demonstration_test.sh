#!/usr/bin/env bash
# The idle title in a real window: after 15 s demonstration 1 plays (its
# score display shows the recording's start, 317), a mouse move brings the
# title back, and the next 15 s start demonstration 2 (478). The pictures are
# compared with frames of the same demonstrations run headless.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# Headless references: the title, and 40 frames into demonstrations 1 and 2
# (the second follows a mouse move that ends the first after 40 frames).
score_area="180x36+460+0"
cat > "$work/script.txt" <<'EOF'
0 pointer 320 240
940 move 5 0
941 pointer 320 240
EOF
mkdir "$work/headless"
"$tool" run --frames 1900 --input "$work/script.txt" --dir "$work/headless" --out "$work" \
  --snap 100,939,1881 > /dev/null || fail "the headless run failed"
for n in 939 1881; do convert "$work/frame-$(printf %06d $n).bmp" -crop "$score_area" +repage "$work/ref-$n.png"; done

# similar_to A REF OTHER: A is closer to REF than to OTHER.
similar_to() {
  awk -v a="$(rmse "$1" "$2")" -v b="$(rmse "$1" "$3")" 'BEGIN { exit !(a < b / 2) }'
}
# score_shot NAME: the score display of the screen, as a 640x480 frame shows it.
score_shot() {
  screenshot "$work/$1-screen.png"
  convert "$work/$1-screen.png" -resize 640x480\! -crop "$score_area" +repage "$work/$1.png"
}

start_display 640 480
launch_game "$work"
move_to 320 240
sleep 14.7               # 15 s of the title in all, and 40 frames more
score_shot first
similar_to "$work/first.png" "$work/ref-939.png" "$work/ref-1881.png" ||
  fail "after 15 s on the title, demonstration 1 is not playing"
echo "   15 s idle: demonstration 1"

xdotool mousemove_relative -- 5 0
sleep 0.3
xdotool mousemove_relative -- -5 0
sleep 0.5
score_shot back
similar_to "$work/back.png" "$work/ref-939.png" "$work/ref-1881.png" &&
  fail "the mouse move did not end the demonstration"
echo "   a mouse move: back on the title"

sleep 15.2
score_shot second
similar_to "$work/second.png" "$work/ref-1881.png" "$work/ref-939.png" ||
  fail "the next 15 s on the title did not start demonstration 2"
echo "   15 s idle again: demonstration 2"
xdotool mousemove_relative -- 5 0
sleep 0.3
xdotool key Escape
wait_for_exit "$GAME_PID" 3
[ "$EXIT_CODE" = 0 ] || fail "the game ended with $EXIT_CODE"
echo "PASS"
