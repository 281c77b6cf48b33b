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
  dpkg-dev desktop-file-utils groff-base man-db shared-mime-info lintian
  poppler-utils
)

# What scripts/run.sh builds: the programs it starts, nothing of the tests.
VELTRIN_RUN_TARGETS=(veltrin veltrin-sim veltrin-cli)

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

# ---- Windows: Wine and the static Qt for MinGW (scripts/test-windows.sh, scripts/screenshots.sh) --

# veltrin_find_wine: Debian's wine64 lies in Wine's library folder, not on PATH.
veltrin_find_wine() {
  local c
  for c in "${WINE:-}" /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 "$(command -v wine64 || true)" \
    "$(dpkg -L wine64 2>/dev/null | grep -E '/wine64$' | head -n1 || true)"; do
    if [ -n "$c" ] && [ -x "$c" ] && [ ! -d "$c" ]; then
      echo "$c"
      return
    fi
  done
  echo "no wine64 found (package wine64)" >&2
  return 1
}

# veltrin_find_wineserver WINE: the server itself, not Debian's wrapper script (which adds
# options of its own).
veltrin_find_wineserver() {
  local s="$(dirname "$1")/wineserver64"
  [ -x "$s" ] || s="$(dirname "$1")/wineserver"
  [ -x "$s" ] || s="$(command -v wineserver)"
  echo "$s"
}

# veltrin_qt_mingw ROOT BUILD: the static Qt 6.4.2 for MinGW-w64 (qtbase, built by
# shared/qt-mingw/build.sh, never here), unpacked into BUILD/qt6-mingw after the archive's SHA-256
# is checked; prints the prefix. The archive: $VELTRIN_QT_MINGW_ARCHIVE, else
# ../shared/qt-mingw/qt6-mingw-6.4.2.tar.xz beside the source tree. Fails, saying so, without it.
VELTRIN_QT_MINGW_SHA256=f2c1f4aa700682bbbc6358cf4b1a12330a27fc971ecb625a7cde10a59dc3a168
veltrin_qt_mingw() {
  local root="$1" build="$2" archive="" c
  local qt="$build/qt6-mingw"
  for c in "${VELTRIN_QT_MINGW_ARCHIVE:-}" "$root/../shared/qt-mingw/qt6-mingw-6.4.2.tar.xz" \
    /work/shared/qt-mingw/qt6-mingw-6.4.2.tar.xz; do
    if [ -n "$c" ] && [ -f "$c" ]; then
      archive="$c"
      break
    fi
  done
  if [ -z "$archive" ]; then
    echo "the static Qt for MinGW (qt6-mingw-6.4.2.tar.xz) is missing: set VELTRIN_QT_MINGW_ARCHIVE;" \
      "veltrin.exe, its tests and the installer cannot be built" >&2
    return 1
  fi
  if [ "$(cat "$qt/.sha256" 2>/dev/null)" != "$VELTRIN_QT_MINGW_SHA256" ]; then
    echo "$VELTRIN_QT_MINGW_SHA256  $archive" | sha256sum -c --quiet - >&2 || {
      echo "$archive is not the archive named by its SHA-256 $VELTRIN_QT_MINGW_SHA256" >&2
      return 1
    }
    rm -rf "$qt"
    mkdir -p "$build"
    tar -C "$build" -xJf "$archive"   # the files keep their times: nothing built against it is redone
    echo "$VELTRIN_QT_MINGW_SHA256" >"$qt/.sha256"
  fi
  echo "$qt"
}

# veltrin_wine_fonts WINE: Wine's own Tahoma, which Wine puts in for the Windows dialog fonts
# ("MS Shell Dlg", the message font), is known to its GDI but not listed among the fonts a
# program enumerates (Qt then falls back to the first face it knows, a serif one). Laid into the
# prefix's fonts ($WINEPREFIX) as a font a user installs; Marlett too, the symbols of the window
# frames Wine draws on its desktop.
veltrin_wine_fonts() {
  local wine="$1" fonts face
  fonts="$(dpkg -L fonts-wine 2>/dev/null | grep -m1 '/tahoma.ttf$' | xargs -r dirname)"
  [ -n "$fonts" ] || return 0
  for face in "Tahoma:tahoma.ttf" "Tahoma Bold:tahomabd.ttf" "Marlett:marlett.ttf"; do
    [ -f "$fonts/${face#*:}" ] || continue
    cp "$fonts/${face#*:}" "$WINEPREFIX/drive_c/windows/Fonts/"
    "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Fonts' /v "${face%%:*} (TrueType)" \
      /d "${face#*:}" /f >/dev/null 2>&1
  done
}

# veltrin_wine_desktop WINE: the programs' windows in a Wine desktop of their own (1280 x 1024),
# as on a Windows screen. On a bare X server without a window manager Wine waits about two
# seconds for every window it shows; in its own desktop it need not.
veltrin_wine_desktop() {
  "$1" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  "$1" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f >/dev/null 2>&1
}
