#!/usr/bin/env bash
# Renders the program's windows (main window, menus, dialogs) in German and English as PNG
# files into <build>/screenshots/, under a virtual X server.
#   scripts/screenshots.sh            # build folder "build"
#   VELTRIN_BUILD=build-x scripts/screenshots.sh
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
build="$(veltrin_build_dir "$root")"
veltrin_build "$root" "$build" veltrin-shots

out="$build/screenshots"
mkdir -p "$out"
# The screenshot program keeps its settings in a folder of its own; nothing of the user's is read.
for lang in de en; do
  xvfb-run -a -s "-screen 0 1280x1024x24" "$build/veltrin-shots" --out "$out" --lang "$lang"
done
echo "Screenshots in $out"
