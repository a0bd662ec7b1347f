#!/usr/bin/env bash
# Compares the game's XM player with openmpt123 on the embedded tune and on
# real modules shipped in Debian packages (installed here when missing; the
# modules are never copied into the project). See xm_compare.cpp for the
# figures and their limits.
#
#   tools/xm_compare/compare_modules.sh [--no-solo] [MODULE...]
#
# Without MODULE arguments it compares the list below. Builds vantomir-tool
# into build/compare and the comparison tool beside it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/scripts/lib.sh"

# Debian package : module path
MODULES=(
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes01.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes02.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/heroes05.xm"
  "heroes-sound-tracks:/usr/share/games/heroes/mod/endscroll.xm"
  "criticalmass-data:/usr/share/games/criticalmass/lg-criti.xm"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_menu.zik"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_game.zik"
  "powermanga-data:/usr/share/games/powermanga/sounds/music_congratulations.zik"
)

options=()
modules=()
for a in "$@"; do
  case "$a" in
    --no-solo) options+=("$a") ;;
    *) modules+=("$a") ;;
  esac
done

packages=(openmpt123)
if [ ${#modules[@]} -eq 0 ]; then
  for entry in "${MODULES[@]}"; do
    packages+=("${entry%%:*}")
    modules+=("${entry#*:}")
  done
  if [ -f "$root/assets/vantomir.xm" ]; then modules=("$root/assets/vantomir.xm" "${modules[@]}"); fi
fi
ensure_packages "${BUILD_PACKAGES[@]}" "${packages[@]}"

build="$root/build/compare"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVANTOMIR_TESTS=OFF -DVANTOMIR_BENCH=OFF > /dev/null
cmake --build "$build" -j "$(nproc)" --target vantomir-tool
g++ -O2 -std=c++20 -Wall -Wextra -o "$build/xm-compare" "$root/tools/xm_compare/xm_compare.cpp"

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
"$build/xm-compare" --ours "$build/vantomir-tool" --work "$work" "${options[@]}" "${modules[@]}"
