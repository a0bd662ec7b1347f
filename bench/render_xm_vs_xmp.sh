#!/usr/bin/env bash
# render-xm against xmp, the way a user meets both: whole processes, each
# rendering one pass of the same module into a WAV file on the same disk.
#
#   bench/render_xm_vs_xmp.sh [--runs N] [--tool PATH]
#
# For the game's tune (assets/vantomir.xm) and the Debian modules in
# render_xm_lib.sh it runs N pairs (default 7), alternating which of the two
# goes first, after one unmeasured run of each, and prints the medians of
# each process's CPU time (user + system), their ratio, and the peak
# resident memory of each. A last line renders an hour of the tune to show
# that render-xm's memory does not grow with the length. xmp runs with its
# defaults (spline interpolation); render-xm interpolates linearly.
#
# Installs xmp and the module packages when missing and builds vantomir-tool
# (Release) into build/bench unless --tool names one. Run it by hand on a
# quiet machine; the medians and the alternation absorb some noise.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
. "$root/scripts/lib.sh"
. "$root/bench/render_xm_lib.sh"

runs=7
tool=""
while [ $# -gt 0 ]; do
  case "$1" in
    --runs) runs=$2; shift 2 ;;
    --tool) tool=$(realpath "$2"); shift 2 ;;
    *) echo "usage: bench/render_xm_vs_xmp.sh [--runs N] [--tool PATH]" >&2; exit 2 ;;
  esac
done

prepare_render_xm_bench "$root" xmp
[ -n "$tool" ] || tool="$BENCH_BUILD/vantomir-tool"
usage="$BENCH_BUILD/process-usage"
work="$BENCH_BUILD/render-out"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

# run NAME COMMAND...: one measured run into $work/NAME.wav, which is removed
# first so that neither player pays for dropping the other's file; appends
# "cpu rss" to $work/NAME.runs.
run() {
  local name=$1
  shift
  rm -f "$work/$name.wav"
  local line
  if ! line=$("$usage" "$@"); then
    echo "failed: $*" >&2
    exit 1
  fi
  echo "$line" | awk '{ printf "%.6f %d\n", $1 + $2, $4 }' >> "$work/$name.runs"
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

modules=("$root/assets/vantomir.xm")
while read -r m; do [ "$m" = "-" ] || modules+=("$m"); done < <(render_xm_module_paths)

echo "$(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg); $runs alternating pairs per module"
printf '%-26s %8s %12s %12s %7s %12s %12s\n' module seconds "ours CPU ms" "xmp CPU ms" ratio "ours RSS MB" "xmp RSS MB"
worst_ratio=0
worst_rss=0
for m in "${modules[@]}"; do
  name=$(render_xm_module_name "$m")
  ours=("$tool" render-xm "$m" "$work/ours.wav")
  xmp=(xmp -q --nocmd --norc -f 44100 -o "$work/xmp.wav" "$m")
  rm -f "$work"/*.runs
  run ours "${ours[@]}"
  run xmp "${xmp[@]}"
  seconds=$(stat -c %s "$work/ours.wav" | awk '{ printf "%.1f", ($1 - 44) / 4 / 44100 }')
  rm -f "$work"/*.runs
  for ((i = 0; i < runs; ++i)); do
    if ((i % 2 == 0)); then
      run ours "${ours[@]}"
      run xmp "${xmp[@]}"
    else
      run xmp "${xmp[@]}"
      run ours "${ours[@]}"
    fi
  done
  ours_cpu=$(cut -d' ' -f1 "$work/ours.runs" | median)
  xmp_cpu=$(cut -d' ' -f1 "$work/xmp.runs" | median)
  ours_rss=$(cut -d' ' -f2 "$work/ours.runs" | sort -n | tail -1)
  xmp_rss=$(cut -d' ' -f2 "$work/xmp.runs" | sort -n | tail -1)
  ratio=$(awk -v a="$ours_cpu" -v b="$xmp_cpu" 'BEGIN { printf "%.2f", a / b }')
  awk -v n="$name" -v s="$seconds" -v a="$ours_cpu" -v b="$xmp_cpu" -v r="$ratio" -v ra="$ours_rss" \
    -v rb="$xmp_rss" 'BEGIN { printf "%-26s %8s %12.1f %12.1f %7s %12.1f %12.1f\n", n, s, a * 1000, b * 1000, r,
      ra / 1024, rb / 1024 }'
  worst_ratio=$(awk -v a="$worst_ratio" -v b="$ratio" 'BEGIN { print (b > a) ? b : a }')
  worst_rss=$(( ours_rss > worst_rss ? ours_rss : worst_rss ))
done

# An hour of looping playback of the tune, to /dev/null: memory must not
# depend on the length.
rm -f "$work"/*.runs
run hour "$tool" render-xm "$root/assets/vantomir.xm" /dev/null --seconds 3600
read -r hour_cpu hour_rss < "$work/hour.runs"
awk -v c="$hour_cpu" -v r="$hour_rss" 'BEGIN { printf "render-xm, 3600 s of the tune: %.2f s CPU, %.1f MB peak\n", c, r / 1024 }'
awk -v w="$worst_ratio" -v r="$worst_rss" 'BEGIN {
  printf "largest CPU ratio %s; largest peak of render-xm %.1f MB\n", w, r / 1024 }'
