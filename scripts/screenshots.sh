#!/usr/bin/env bash
# Renders the program's windows (main window, menus, dialogs) in German and English as PNG
# files into <build>/screenshots/, under a virtual X server; the report's PDF too, and its pages
# as PNG files (report-<language>-page-<n>.png).
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
# The report's PDF (saved by the report scene) page by page, to look at as it prints.
for pdf in "$out"/report-*.pdf; do
  [ -f "$pdf" ] && pdftoppm -r 80 -png "$pdf" "${pdf%.pdf}-page"
done
echo "Screenshots in $out"
