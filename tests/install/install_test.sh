#!/usr/bin/env bash
# Installs the game from a build folder into temporary prefixes and checks
# what a desktop will find there:
# - as a Debian package lays it out (prefix /usr, under DESTDIR) and for one
#   user (prefix ~/.local): exactly the expected files, the program in
#   games/ or bin/ respectively, neither vantomir-tool nor a generator;
# - the desktop entry passes desktop-file-validate, the metainfo passes
#   appstreamcli validate, and the installed tree passes appstreamcli
#   validate-tree (which matches the metainfo with the desktop entry);
# - every icon size exists as a PNG of that size with alpha, and the SVG
#   renders (librsvg, as desktops draw it) to the 256 px picture;
# - the manual page renders with man -l without a warning and documents
#   every option;
# - with check_user_folder=1, the installed game started with an empty HOME
#   under Xvfb writes ~/.local/share/vantomir/vantomir.ini.
#
#   bash tests/install/install_test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
. "$here/../e2e/lib.sh"

check_user_folder=1

sizes=(16 22 24 32 48 64 128 256)
expected_files() {  # the files below a prefix, given the program's folder
  echo "$1/vantomir"
  echo share/applications/vantomir.desktop
  echo share/doc/vantomir/changelog.gz
  echo share/doc/vantomir/copyright
  for s in "${sizes[@]}"; do echo "share/icons/hicolor/${s}x${s}/apps/vantomir.png"; done
  echo share/icons/hicolor/scalable/apps/vantomir.svg
  echo share/man/man6/vantomir.6.gz
  echo share/metainfo/io.github.vantomir.vantomir.metainfo.xml
}
check_files() {  # PREFIX_DIR PROGRAM_FOLDER
  local found
  found=$(cd "$1" && find . -type f -o -type l | sed 's|^\./||' | LC_ALL=C sort)
  [ "$found" = "$(expected_files "$2" | LC_ALL=C sort)" ] ||
    fail "installed files under $1 differ:
$(diff <(expected_files "$2" | LC_ALL=C sort) <(echo "$found") || true)"
  [ -x "$1/$2/vantomir" ] || fail "$1/$2/vantomir is not executable"
}

echo "-- install to /usr (DESTDIR) and to ~/.local"
DESTDIR="$work/root" cmake --install "$build" --prefix /usr > "$work/install.log"
usr="$work/root/usr"
check_files "$usr" games
cmake --install "$build" --prefix "$work/home/.local" > "$work/install-user.log"
check_files "$work/home/.local" bin

echo "-- desktop entry and AppStream metainfo"
desktop-file-validate "$usr/share/applications/vantomir.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=vantomir' "$usr/share/applications/vantomir.desktop" || fail "Exec is not vantomir"
grep -qx 'StartupWMClass=vantomir' "$usr/share/applications/vantomir.desktop" || fail "no StartupWMClass"
appstreamcli validate --no-net --pedantic "$usr/share/metainfo/io.github.vantomir.vantomir.metainfo.xml" ||
  fail "appstreamcli validate"
appstreamcli validate-tree --no-net "$work/root" || fail "appstreamcli validate-tree"

echo "-- icons"
for s in "${sizes[@]}"; do
  png="$usr/share/icons/hicolor/${s}x${s}/apps/vantomir.png"
  got=$(identify -format '%m %w %h %[channels]' "$png" 2>&1) || fail "$png does not read: $got"
  [ "$got" = "PNG $s $s srgba" ] || fail "$png is '$got', not a ${s}x${s} RGBA PNG"
done
rsvg-convert -w 256 -h 256 "$usr/share/icons/hicolor/scalable/apps/vantomir.svg" -o "$work/svg.png" ||
  fail "the SVG does not render"
difference=$(rmse "$work/svg.png" "$usr/share/icons/hicolor/256x256/apps/vantomir.png") || true  # compare exits 1 on any difference
awk -v d="$difference" 'BEGIN { exit !(d < 0.02) }' ||
  fail "the SVG renders unlike the 256 px icon (RMSE $difference)"

echo "-- manual page"
page="$usr/share/man/man6/vantomir.6.gz"
MANWIDTH=80 LC_ALL=C.UTF-8 man --warnings -E UTF-8 -l "$page" > "$work/man.txt" 2> "$work/man-warnings.txt" ||
  fail "man -l failed: $(cat "$work/man-warnings.txt")"
[ ! -s "$work/man-warnings.txt" ] || fail "man -l warns: $(cat "$work/man-warnings.txt")"
for text in NAME SYNOPSIS DESCRIPTION OPTIONS CONTROLS FILES \
    --help --version --window "--dir DIR" "--record FILE" "--replay FILE" \
    ".local/share/vantomir/vantomir.ini" snapNNNNNN.bmp Escape F12 Pause Alt+Enter F11 "Arrow keys" Space Ctrl; do
  grep -qF -- "$text" "$work/man.txt" || fail "the manual page does not mention $text"
done

if [ "$check_user_folder" = 1 ]; then
  echo "-- the installed game with an empty HOME"
  mkdir -p "$work/empty-home" "$work/elsewhere"
  start_display 1024 768
  (cd "$work/elsewhere" && exec env -u XDG_DATA_HOME HOME="$work/empty-home" SDL_AUDIODRIVER=dummy \
    "$work/home/.local/bin/vantomir") &
  pid=$!
  E2E_PIDS+=("$pid")
  wait_for_window Vantomir > /dev/null
  sleep 1
  leave_by_escape "$pid" "installed"
  [ -s "$work/empty-home/.local/share/vantomir/vantomir.ini" ] ||
    fail "no ~/.local/share/vantomir/vantomir.ini; HOME holds: $(cd "$work/empty-home" && find . | tr '\n' ' ')"
  [ ! -e "$work/elsewhere/vantomir.ini" ] || fail "vantomir.ini was written to the current folder"
  stop_display
fi
echo "PASS"
