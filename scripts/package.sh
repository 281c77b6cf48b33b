#!/usr/bin/env bash
# Builds the Debian package of Veltrin (CPack) from the build folder "build":
#   scripts/package.sh                 -> build/package/veltrin_<version>_<arch>.deb
#   VELTRIN_BUILD=build-x scripts/package.sh
# Install it with: sudo apt install ./build/package/veltrin_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
build="$(veltrin_build_dir "$root")"
veltrin_build "$root" "$build"
# The package's dependencies come from dpkg-shlibdeps (package dpkg-dev).
cpack --config "$build/CPackConfig.cmake" -B "$build/package"
deb="$(ls -t "$build"/package/veltrin_*.deb | head -n 1)"
dpkg-deb --info "$deb" | sed -n '/Package:/,$p'
echo "Package: $deb"
