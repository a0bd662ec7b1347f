#!/usr/bin/env bash
# The tune in the real game, heard through SDL's disk audio driver: a game
# started from the title plays it, and back on the title it stops.
set -uo pipefail
game="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/lib.sh"

work=$(mktemp -d)
trap 'cleanup_e2e; rm -rf "$work"' EXIT

# rms_between FROM TO: the RMS amplitude (0..1) of the recorded output
# between two times in seconds.
rms_between() {
  sox -t raw -r 44100 -e signed -b 16 -c 2 "$work/audio.raw" -n trim "$1" "=$2" stat 2>&1 |
    awk '/RMS +amplitude/ { print $3 }'
}

start_display 800 600
(cd "$work" && SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" exec "$game") &
pid=$!
E2E_PIDS+=("$pid")
wait_for_window Vantomir > /dev/null
sleep 1.5
started=$(date +%s.%N)
xdotool mousemove_relative -- -160 -130   # from (480, 360) onto START
sleep 0.2
xdotool click 1
sleep 4
xdotool key Escape                         # back to the title
sleep 2.5
xdotool key Escape                         # and out
wait_for_exit "$pid" 3
[ "$EXIT_CODE" = 0 ] || fail "the game ended with $EXIT_CODE"
[ -s "$work/audio.raw" ] || fail "the disk audio driver wrote nothing"

length=$(( $(stat -c %s "$work/audio.raw") / 176400 ))
[ "$length" -ge 7 ] || fail "only ${length} s of sound were written"
# The file's time runs with the game's from start-up; the game ran from
# about 2 s to 6 s, the title from about 6 s on.
in_game=$(rms_between 3.5 5.5)
on_title=$(awk -v n="$length" 'BEGIN { print n - 1.2 }')
after=$(rms_between "$on_title" "$(awk -v n="$length" 'BEGIN { print n - 0.4 }')")
echo "   RMS during the game: $in_game, on the title afterwards: $after"
awk -v g="$in_game" -v t="$after" 'BEGIN { exit !(g > 0.01 && t < g / 10) }' ||
  fail "the tune was not heard in the game, or went on on the title"
echo "PASS"
