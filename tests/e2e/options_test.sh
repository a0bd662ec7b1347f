#!/usr/bin/env bash
# The options and scores screens in a real window, driven by relative mouse
# moves and clicks: VOLUME and SCANLINES are changed, BACK, SCORES, BACK, and
# Escape on the title ends the game, which rewrites vantomir.ini with the new
# values, the unchanged ones and the same high-score table. In a folder the
# game may not write to, it ends just as normally and leaves the file alone.
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

# A settings file with a table of our own, coded by the game's own writer:
# the tool reads it back later to compare.
cat > "$work/vantomir.ini" <<'INI'
smoothing = 1
scanlines = 50
stretch = 1
trails = 0
60hzmode = 0
mousesens = 7
volume = 40
joystick = 0
music = 0
score01 = 263462137443285139141155301507189482205219093437123
INI
sed -i 's/$/\r/' "$work/vantomir.ini"

start_display 1024 768
before=$("$tool" settings "$work/vantomir.ini")
(cd "$work" && SDL_AUDIODRIVER=dummy exec "$game" --dir .) &
pid=$!
E2E_PIDS+=("$pid")
wait_for_window Vantomir > /dev/null
wait_for_frames 10

move_to 320 282; click           # OPTIONS
move_to 465 265; click           # VOLUME 70 (bar position 7)
move_to 385 127; click           # SCANLINES 30 (bar position 3)
screenshot "$work/options.png"
move_to 530 452; click           # BACK
move_to 320 333; click           # SCORES
screenshot "$work/scores.png"
move_to 500 419; click           # BACK
leave_by_escape "$pid" "from the title"

after=$("$tool" settings "$work/vantomir.ini")
expected=$(echo "$before" | sed -e 's/"volume":40/"volume":70/' -e 's/"scanlines":50/"scanlines":30/')
if [ "$after" != "$expected" ]; then
  cp "$work"/*.png /tmp/ 2>/dev/null
  fail "vantomir.ini after the run:
$after
expected:
$expected"
fi
grep -q $'^volume = 70\r$' "$work/vantomir.ini" || fail "volume not written as a CRLF line"
cmp -s <(sed -n '10p' "$work/vantomir.ini") <(echo "score01 = 263462137443285139141155301507189482205219093437123"$'\r') &&
  fail "the record was not coded afresh"
echo "   new values saved, the rest kept; records coded afresh"

# A folder the game may not write to: it ends normally, the file stays.
# (The game runs as the user nobody, from a copy that nobody may run wherever
# the build lies.)
readonly_dir=$(mktemp -d)
chmod 755 "$readonly_dir"
cp "$work/vantomir.ini" "$readonly_dir/vantomir.ini"
chmod 644 "$readonly_dir/vantomir.ini"
cp "$game" "$work/vantomir-copy"
chmod 755 "$work/vantomir-copy"
(cd "$readonly_dir" && SDL_AUDIODRIVER=dummy exec runuser -u nobody -- "$work/vantomir-copy" --dir .) &
pid=$!
E2E_PIDS+=("$pid")
wait_for_window Vantomir > /dev/null
wait_for_frames 10
leave_by_escape "$pid" "in a read-only folder"
cmp -s "$readonly_dir/vantomir.ini" "$work/vantomir.ini" || fail "the read-only folder's file changed"
[ "$(ls "$readonly_dir")" = "vantomir.ini" ] || fail "something was left in the read-only folder"
rm -rf "$readonly_dir"
echo "   in a read-only folder: exit 0, vantomir.ini untouched"
echo "PASS"
