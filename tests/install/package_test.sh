#!/usr/bin/env bash
# Builds the Debian package from a build folder with cpack and checks it: the
# control fields (name, section, dependencies found by dpkg-shlibdeps), the
# program in /usr/games, stripped, and lintian with no error and no hardening
# finding (every tag it gives is printed). The build folder must be built
# with Debian's flags (scripts/package, or the test command's main build).
#
#   bash tests/install/package_test.sh BUILD_DIR
set -euo pipefail
build="$(cd "$1" && pwd)"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

cpack --config "$build/CPackConfig.cmake" -B "$work" > "$work/cpack.log" 2>&1 ||
  fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/vantomir_*.deb)
[ ${#debs[@]} = 1 ] && [ -f "${debs[0]}" ] || fail "cpack wrote no vantomir_*.deb"
deb="${debs[0]}"
echo "-- $(basename "$deb"): $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = vantomir ] || fail "Package is $(field Package)"
[ "$(field Section)" = games ] || fail "Section is $(field Section)"
depends=$(field Depends)
echo "-- Depends: $depends"
for lib in libc6 libsdl2-2.0-0 libvorbisfile3 libstdc++6; do
  [[ ", $depends," == *", $lib "* ]] || fail "Depends lacks $lib"
done

dpkg-deb -x "$deb" "$work/root"
program="$work/root/usr/games/vantomir"
[ -x "$program" ] || fail "no /usr/games/vantomir"
readelf -S "$program" | grep -qE '\.symtab|\.debug_' && fail "the program is not stripped"
[ -f "$work/root/usr/share/man/man6/vantomir.6.gz" ] || fail "no manual page"

# lintian warns that it runs as root on the CI machine; that line is not a finding.
lintian --display-info --fail-on error "$deb" > "$work/lintian.txt" 2>&1 || {
  cat "$work/lintian.txt"
  fail "lintian found errors"
}
grep -v 'running with root privileges' "$work/lintian.txt" | sed 's/^/   lintian: /' || true
# Built with Debian's hardening flags, the program has none of lintian's
# hardening findings (no fortified functions, no read-only relocations...).
grep -E 'hardening-' "$work/lintian.txt" && fail "lintian finds the program built without hardening"
echo "PASS"
