#!/usr/bin/env bash
# Golden runs: each demonstration carried in the game, replayed headless by
# vantomir-tool play, must end exactly as recorded in demos.txt (frames,
# score, lives, level, the lists' hash and the digest of every frame's hash).
# Any change to the game's behaviour, or a compiler that computes it
# differently, shows here.
#
#   bash tests/golden/demos_test.sh VANTOMIR_TOOL [--update]
set -uo pipefail
tool="$1"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
expected="$here/demos.txt"

actual=$(for d in 0 1 2; do
  "$tool" play --demo "$d" --frames 2000 --quiet |
    sed -E 's/^\{"frames":([0-9]+),"score":(-?[0-9]+),"lives":(-?[0-9]+),"level":([0-9]+),"hash":"([0-9a-f]+)","traceHash":"([0-9a-f]+)".*/\1 \2 \3 \4 \5 \6/' |
    awk -v d="$d" '{ printf "demo %s frames %s score %s lives %s level %s hash %s traceHash %s\n", d, $1, $2, $3, $4, $5, $6 }'
done)

if [ "${2:-}" = "--update" ]; then
  echo "$actual" > "$expected"
  echo "updated $expected"
  exit 0
fi
if [ "$actual" != "$(cat "$expected")" ]; then
  echo "FAIL: the demonstrations no longer replay as recorded"
  diff <(cat "$expected") <(echo "$actual")
  exit 1
fi
echo "$actual"
echo "PASS"
