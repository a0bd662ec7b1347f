#!/usr/bin/env bash
# The command line: --help and --version print and exit 0, a bad option
# prints the usage on standard error and exits 2, none of them opens a window
# or writes a file. (Where the game keeps its files without --dir is checked
# on the installed game, tests/install/install_test.sh.)
set -uo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
start_display 800 600
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME

# run ARGS...: runs the game in $work/run, sets CODE, OUT and ERR.
run() {
  rm -rf "$work/run"
  mkdir "$work/run"
  (cd "$work/run" && timeout 10 "$game" "$@" > "$work/out.txt" 2> "$work/err.txt")
  CODE=$?
  OUT=$(cat "$work/out.txt")
  ERR=$(cat "$work/err.txt")
  local left
  left=$(find "$work/run" "$HOME" -mindepth 1)
  [ -z "$left" ] || fail "'$*' left files behind: $left"
  xdotool search --name '^Vantomir$' >/dev/null 2>&1 && fail "'$*' opened a window"
  return 0
}

run --help
[ "$CODE" = 0 ] && [[ "$OUT" == usage:* ]] && [ -z "$ERR" ] || fail "--help: exit $CODE, '$OUT' '$ERR'"
run --version
[ "$CODE" = 0 ] && [[ "$OUT" =~ ^vantomir\ [0-9]+\.[0-9]+ ]] || fail "--version: exit $CODE, '$OUT'"
run --fullscreen
[ "$CODE" = 2 ] && [ -z "$OUT" ] && [[ "$ERR" == *"unknown option '--fullscreen'"*usage:* ]] ||
  fail "a bad option: exit $CODE, '$ERR'"
run --replay "$work/missing.vrec"
[ "$CODE" = 1 ] && [[ "$ERR" == *"cannot replay"*missing.vrec* ]] || fail "a missing replay: exit $CODE, '$ERR'"
echo "   --help, --version, a bad option, a missing replay: exit codes and messages, no window"

echo "PASS"
