#!/usr/bin/env bash
# vantomir-tool pace: the bare pacer and the game in its window print their
# figures; without a display the window run says so and fails. The figures
# themselves are not judged here: they depend on the machine.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# has_figures FILE: every line of the report is there.
has_figures() {
  local line
  for line in "passes per second: " "jitter " "longer than 20 ms" "CPU: "; do
    grep -q "$line" "$1" || return 1
  done
}

"$tool" pace --seconds 1 > "$work/pacer.txt" || fail "pace --seconds 1 failed"
has_figures "$work/pacer.txt" || { cat "$work/pacer.txt"; fail "the pacer's report is incomplete"; }

(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY "$tool" pace --demo 0 --seconds 1) \
  > /dev/null 2> "$work/nodisplay.txt" && fail "the window run succeeded without a display"
grep -q "no display" "$work/nodisplay.txt" || { cat "$work/nodisplay.txt"; fail "no clear message"; }

start_display 800 600
(cd "$work" && "$tool" pace --demo 0 --seconds 2) > "$work/window.txt" 2> "$work/stderr.txt" ||
  { cat "$work/window.txt" "$work/stderr.txt"; fail "pace --demo 0 failed"; }
cat "$work/window.txt"
grep -q "^demonstration 0, started 1 times" "$work/window.txt" &&
  has_figures "$work/window.txt" || fail "the window run's report is incomplete"
[ -z "$(ls "$work" | grep -v '\.txt$')" ] || fail "the window run left files behind: $(ls "$work")"
echo "PASS"
