# Shared by scripts/play and scripts/test: the Debian packages the project
# needs, installed only when missing.

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config libsdl2-dev libvorbis-dev zlib1g-dev)
TEST_PACKAGES=(libgtest-dev libbenchmark-dev libpixman-1-dev xvfb openbox xdotool wmctrl imagemagick x11-utils
  sox clang libclang-rt-14-dev)
# The Wayland end-to-end tests: a Wayland desktop to run the game on.
TEST_PACKAGES+=(weston)
# The install and package checks: validators, man, the SVG renderer, CPack's
# dpkg-shlibdeps and lintian.
TEST_PACKAGES+=(desktop-file-utils appstream man-db librsvg2-bin dpkg-dev lintian)

# Installs whichever of the named packages are not installed yet; does
# nothing at all when every one is there.
ensure_packages() {
  local missing=()
  local p
  for p in "$@"; do
    if [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" != "installed" ]; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# DEBIAN_CMAKE_FLAGS: CMake options that build with Debian's own flags, as a
# distribution's package build passes them: hardening (stack protector,
# _FORTIFY_SOURCE, read-only relocations, immediate binding) and format
# checks. CMake takes no CPPFLAGS, so they join the compiler's flags. Needs
# dpkg-dev; run from the source folder (the flags map its path to ".").
debian_cmake_flags() {
  local cxxflags ldflags
  local -x DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cxxflags="$(dpkg-buildflags --get CXXFLAGS)"
  cxxflags+=" $(dpkg-buildflags --get CPPFLAGS)"
  ldflags="$(dpkg-buildflags --get LDFLAGS)"
  DEBIAN_CMAKE_FLAGS=("-DCMAKE_CXX_FLAGS=$cxxflags" "-DCMAKE_EXE_LINKER_FLAGS=$ldflags")
}
