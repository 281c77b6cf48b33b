#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Veltrin. Sourced by the other
# scripts; installs only packages that are missing, so a second run costs nothing.
set -euo pipefail

VELTRIN_PACKAGES=(
  g++ cmake make pkg-config
  nlohmann-json3-dev libmd-dev
  libgtest-dev libbenchmark-dev
  qt6-base-dev libgl-dev qt6-translations-l10n
  xvfb xauth imagemagick fonts-dejavu-core
  dpkg-dev desktop-file-utils groff-base man-db shared-mime-info
  poppler-utils
)

# For scripts/test-windows.sh: the MinGW-w64 cross compiler (POSIX threads), Wine with its own
# fonts (Tahoma, which Wine puts in for the Windows dialog font), NSIS for the installer, and
# unzip for the portable archive's check. Debian's wine64 puts its programs into Wine's library
# folder, not on PATH.
VELTRIN_WINDOWS_PACKAGES=(
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine64 fonts-wine
  nsis unzip
)

veltrin_install_deps() {
  veltrin_install_packages "${VELTRIN_PACKAGES[@]}"
}

veltrin_install_windows_deps() {
  veltrin_install_packages "${VELTRIN_PACKAGES[@]}" "${VELTRIN_WINDOWS_PACKAGES[@]}"
}

veltrin_install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# veltrin_configure ROOT BUILD: the Linux build, optimised and with debug information.
# VELTRIN_DEBUG_INFO=0 leaves the debug information out (CI: the test files build in about half
# the time). The flags are given either way, since the build folder keeps what it was given last.
veltrin_configure() {
  local flags="-O2 -g -DNDEBUG"
  [ "${VELTRIN_DEBUG_INFO:-1}" != 0 ] || flags="-O2 -DNDEBUG"
  cmake -S "$1" -B "$2" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$flags" >/dev/null
}

# veltrin_build ROOT [BUILD [TARGET...]]: configures and builds (everything, or the targets).
veltrin_build() {
  local root="$1" build="${2:-$1/build}"
  shift $(($# < 2 ? $# : 2))
  veltrin_configure "$root" "$build"
  cmake --build "$build" -j"$(nproc)" ${1:+--target "$@"}
}

# The build folder: $VELTRIN_BUILD (absolute, or relative to ROOT), else ROOT/build.
veltrin_build_dir() {
  local build="${VELTRIN_BUILD:-$1/build}"
  case "$build" in /*) ;; *) build="$1/$build" ;; esac
  echo "$build"
}
