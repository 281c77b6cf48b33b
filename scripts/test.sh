#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (VELTRIN_BUILD_ONLY=1: builds only).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
veltrin_build "$root"
[ -z "${VELTRIN_BUILD_ONLY:-}" ] || exit 0
cd "$root/build"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)" --timeout 300
