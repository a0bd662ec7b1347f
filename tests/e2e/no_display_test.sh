#!/usr/bin/env bash
# With no display the game says what failed and why, exits with status 1 and
# leaves its settings file exactly as it was.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

printf 'smoothing = 0\r\nvolume = 70\r\nscore01 = broken\r\n' > "$work/vantomir.ini"
cp "$work/vantomir.ini" "$work/original.ini"
(cd "$work" && env -u DISPLAY -u WAYLAND_DISPLAY -u SDL_VIDEODRIVER "$game" --dir .) 2> "$work/stderr.txt"
code=$?
[ "$code" = 1 ] || { echo "FAIL: exit code $code"; exit 1; }
grep -q "Error: can't start the display: " "$work/stderr.txt" ||
  { echo "FAIL: no start-up message; stderr was:"; cat "$work/stderr.txt"; exit 1; }
cmp -s "$work/vantomir.ini" "$work/original.ini" || { echo "FAIL: vantomir.ini changed"; exit 1; }
ls "$work" | grep -q '^snap' && { echo "FAIL: a screenshot was written"; exit 1; }
echo "PASS"
