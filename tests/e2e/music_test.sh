#!/usr/bin/env bash
# The tune in the real game, heard through SDL's disk audio driver: a game
# started from the title plays it, and back on the title it stops.
#
# The disk driver writes one buffer, sleeps a fixed time and writes the next,
# so its file runs faster or slower than the clock as the machine is more or
# less busy, and a time in the file says little about when something happened.
# Each buffer is mixed just before it is written, though, so the file's size
# at a moment marks where that moment is in the sound: the test notes the size
# as it clicks START and as it presses Escape, and listens between the marks.
# The title has a short chime of its own (the logo landing), so each stretch is
# judged by its median loudness over tenths of a second: a tune plays through,
# a chime does not.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly bytes_per_second=176400  # 44100 Hz, stereo, 16-bit
readonly tenth=17640

# mark: how many bytes of sound have been written so far.
mark() {
  stat -c %s "$work/audio.raw"
}

# median_loudness FROM TO: the median of the RMS amplitudes (0..1) of each
# tenth of a second of the recording between two byte offsets.
median_loudness() {
  tail -c +$(($1 + 1)) "$work/audio.raw" | head -c $(($2 - $1)) | od -An -v -td2 -w4 |
    awk -v n="$((tenth / 4))" '
      { sum += $1 * $1 + $2 * $2 }
      NR % n == 0 { print sqrt(sum / (2 * n)) / 32768; sum = 0 }' |
    sort -g | awk '{ v[NR] = $1 } END { print NR ? v[int((NR + 1) / 2)] : "none" }'
}

start_display 800 600
SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" "$game" --dir "$work" 2> "$work/stderr.txt" &
pid=$!
E2E_PIDS+=("$pid")
wait_for_window Vantomir > /dev/null
wait_for_frames 10
move_to 320 230                            # onto START
game_from=$(mark)
xdotool click 1
sleep 4
game_to=$(mark)
xdotool key Escape                         # back to the title
sleep 2.5
title_to=$(mark)
leave_by_escape "$pid" "from the title"

# The game gets a second to start its tune; the title starts a tenth after
# the Escape. The medians ride out a late start or stop shorter than half of
# each stretch.
game_from=$((game_from + bytes_per_second))
title_from=$((game_to + tenth))
for stretch in "$game_from $game_to" "$title_from $title_to"; do
  set -- $stretch
  [ $(($2 - $1)) -ge $((10 * tenth)) ] ||
    fail "less than a second of sound was written in a stretch (bytes $1 to $2)"
done
in_game=$(median_loudness "$game_from" "$game_to")
on_title=$(median_loudness "$title_from" "$title_to")
echo "   median loudness in the game: $in_game, on the title afterwards: $on_title"
awk -v g="$in_game" -v t="$on_title" 'BEGIN { exit !(g > 0.01 && t < g / 10) }' ||
  fail "the tune was not heard in the game, or went on on the title"
echo "PASS"
