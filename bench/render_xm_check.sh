#!/usr/bin/env bash
# Checks that render-xm still renders what it rendered before, within one
# LSB on every sample: the margin a change to the mixer or the conversion may
# use without losing the agreement with the established players
# (tools/xm_compare/).
#
#   bench/render_xm_check.sh save DIR [--tool PATH]   render the references into DIR
#   bench/render_xm_check.sh check DIR [--tool PATH]  render again and compare with DIR
#
# Renders one pass of the game's tune and of the Debian modules in
# render_xm_lib.sh, and two looping renders (--seconds). Without --tool it
# builds vantomir-tool (Release) into build/bench. To check a change, save
# with a build of the commit before it, then check with the new one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/lib.sh"
. "$root/bench/render_xm_lib.sh"

usage() {
  echo "usage: bench/render_xm_check.sh save|check DIR [--tool PATH]" >&2
  exit 2
}
[ $# -ge 2 ] || usage
mode=$1
dir=$2
shift 2
tool=""
while [ $# -gt 0 ]; do
  case "$1" in
    --tool) [ $# -ge 2 ] || usage; tool=$(realpath "$2"); shift 2 ;;
    *) usage ;;
  esac
done
case "$mode" in save | check) ;; *) usage ;; esac

prepare_render_xm_bench "$root"
[ -n "$tool" ] || tool="$BENCH_BUILD/vantomir-tool"

# name|module|options
renders=()
while read -r m; do renders+=("$(render_xm_module_name "$m")|$m|"); done < <(render_xm_module_paths)
renders+=("tune-looped|-|--seconds 200" "heroes02-cut|/usr/share/games/heroes/mod/heroes02.xm|--seconds 61.5")

mkdir -p "$dir"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
for r in "${renders[@]}"; do
  IFS='|' read -r name module options <<< "$r"
  reference="$dir/$name.wav"
  out="$reference"
  [ "$mode" = save ] || out="$work/$name.wav"
  # shellcheck disable=SC2086
  "$tool" render-xm "$module" "$out" $options > /dev/null
  if [ "$mode" = save ]; then
    echo "saved $reference"
  elif [ ! -f "$reference" ]; then
    echo "$name: no reference in $dir"
    failed=1
  else
    printf '%-28s ' "$name:"
    "$BENCH_BUILD/wav-diff" --tolerance 1 "$reference" "$out" || failed=1
    rm -f "$out"
  fi
done
if [ "$mode" = check ]; then
  if [ "$failed" -eq 0 ]; then echo "every render within 1 LSB of its reference"; else echo "renders differ"; fi
fi
exit "$failed"
