#!/usr/bin/env bash
# The idle title in a real window: after 15 s demonstration 1 plays (its
# score display shows the recording's start, 317), a mouse move brings the
# title back, and the next 15 s start demonstration 2 (478). The pictures are
# compared with frames of the same demonstrations run headless. (On a busy
# machine the game's 15 s take longer than the clock's: the test waits at
# least 12 s and then watches for the demonstration.)
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

# wait_for_demo NAME REF OTHER: after 12 s, watches the score display for up
# to a minute until it shows the demonstration of REF rather than OTHER.
wait_for_demo() {
  sleep 12
  local since=$SECONDS
  until score_shot "$1" && similar_to "$work/$1.png" "$2" "$3"; do
    [ $((SECONDS - since)) -lt 60 ] || return 1
  done
}

start_display 640 480
launch_game "$work"
move_to 320 240
wait_for_demo first "$work/ref-939.png" "$work/ref-1881.png" ||
  fail "after 15 s on the title, demonstration 1 is not playing"
echo "   15 s idle: demonstration 1"

xdotool mousemove_relative -- 5 0
wait_for_frames 2
xdotool mousemove_relative -- -5 0
wait_for_frames 2
score_shot back
similar_to "$work/back.png" "$work/ref-939.png" "$work/ref-1881.png" &&
  fail "the mouse move did not end the demonstration"
echo "   a mouse move: back on the title"

wait_for_demo second "$work/ref-1881.png" "$work/ref-939.png" ||
  fail "the next 15 s on the title did not start demonstration 2"
echo "   15 s idle again: demonstration 2"
xdotool mousemove_relative -- 5 0
wait_for_frames 2
leave_by_escape "$GAME_PID" "from the title"
echo "PASS"
