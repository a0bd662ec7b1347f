#!/usr/bin/env bash
# vantomir-tool latency in the game's real window: its report is complete,
# and every mouse move is shown by the present of the very pass that took it
# in, which that pass took in when it came or the pass after. Those are
# properties of the loop's order, the same on a busy machine; the times
# themselves depend on the machine and are not judged here. The sound is
# measured on SDL's dummy driver, which paces its pieces like a device.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

readonly inputs=40 sounds=20

"$tool" latency --inputs 0 > /dev/null 2> "$work/usage.txt"
[ $? -eq 2 ] && grep -q "inputs" "$work/usage.txt" || { cat "$work/usage.txt"; fail "a bad count is not a usage error"; }

(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$tool" latency --inputs 1 --sounds 0) \
  > /dev/null 2> "$work/nodisplay.txt" && fail "the latency run succeeded without a display"
grep -q "no display" "$work/nodisplay.txt" || { cat "$work/nodisplay.txt"; fail "no clear message"; }

start_display 800 600
(cd "$work" && SDL_AUDIODRIVER=dummy "$tool" latency --inputs $inputs --sounds $sounds) \
  > "$work/report.txt" 2> "$work/stderr.txt" || { cat "$work/report.txt" "$work/stderr.txt"; fail "latency failed"; }
cat "$work/report.txt"

# has LINE...: every line is in the report, whole.
has() {
  local line
  for line in "$@"; do
    grep -qxF -- "$line" "$work/report.txt" || fail "the report lacks: $line"
  done
}
# spread NAME COUNT: a median, 95th percentile and worst over COUNT delays.
spread() {
  grep -qE "^  $1: median -?[0-9.]+ ms, 95th percentile -?[0-9.]+ ms, worst -?[0-9.]+ ms \($2\)$" \
    "$work/report.txt" || fail "no figures for $1 over $2"
}

has "input: $inputs mouse moves on the options screen, fed into the event queue at random moments" \
  "  shown by the present of the pass that took it in: $inputs, of the next pass: 0, later: 0"
spread "arrival to present" $inputs
spread "taken in to present" $inputs
grep -qE "^  taken in by the pass under way as it arrived: [0-9]+, by the next: [0-9]+, later: 0$" \
  "$work/report.txt" || fail "a move waited more than a pass to be taken in"
has "sound: driver dummy, 44100 Hz, pieces of 512 frames (11.6 ms)"
spread "request to first sample out" $sounds
spread "request to the start of the piece carrying it" $sounds
spread "pieces begun every" "[0-9]+"
[ -z "$(ls "$work" | grep -v '\.txt$')" ] || fail "the latency run left files behind: $(ls "$work")"
echo "PASS"
