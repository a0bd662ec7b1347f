# Shared by bench/render_xm_check.sh and bench/render_xm_vs_xmp.sh: the
# modules they render, a Release build of vantomir-tool in build/bench and
# the two small helpers beside it (bench/tools/).

# Debian package : module path. The game's tune ("-") comes first.
RENDER_XM_MODULES=(
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes01.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes02.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes05.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/endscroll.xm"
  "criticalmass-data:/usr/share/games/criticalmass/lg-criti.xm"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_menu.zik"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_game.zik"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_congratulations.zik"
)

# The module paths, the tune first.
render_xm_module_paths() {
  echo "-"
  local entry
  for entry in "${RENDER_XM_MODULES[@]}"; do echo "${entry#*:}"; done
}

# A short name for a module path.
render_xm_module_name() {
  if [ "$1" = "-" ]; then echo "tune"; else basename -- "$1"; fi
}

# prepare_render_xm_bench ROOT EXTRA_PACKAGE...: installs what is missing and
# builds vantomir-tool (Release), wav-diff and process-usage into
# ROOT/build/bench. Sets BENCH_BUILD.
prepare_render_xm_bench() {
  local root=$1
  shift
  local packages=("$@") entry
  for entry in "${RENDER_XM_MODULES[@]}"; do packages+=("${entry%%:*}"); done
  ensure_packages "${BUILD_PACKAGES[@]}" "${packages[@]}"
  BENCH_BUILD="$root/build/bench"
  cmake -S "$root" -B "$BENCH_BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOMIR_TESTS=OFF \
    -DVANTOMIR_BENCH=OFF > /dev/null
  cmake --build "$BENCH_BUILD" -j "$(nproc)" --target vantomir-tool > /dev/null
  g++ -O2 -std=c++20 -Wall -Wextra -o "$BENCH_BUILD/wav-diff" "$root/bench/tools/wav_diff.cpp"
  g++ -O2 -std=c++20 -Wall -Wextra -o "$BENCH_BUILD/process-usage" "$root/bench/tools/process_usage.cpp"
}
