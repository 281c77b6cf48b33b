#!/usr/bin/env bash
# Renders the program's windows (main window, menus, dialogs) in German and English as PNG
# files into <build>/screenshots/, under a virtual X server; the report's PDF too, and its pages
# as PNG files (report-<language>-page-<n>.png); then the same from the Windows build under Wine
# into <build>/screenshots/windows/.
#   scripts/screenshots.sh            # build folder "build"
#   VELTRIN_BUILD=build-x scripts/screenshots.sh
#   VELTRIN_SCREENSHOTS=linux (or windows) scripts/screenshots.sh    # the one side only
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
build="$(veltrin_build_dir "$root")"
out="$build/screenshots"
mkdir -p "$out"
sides="${VELTRIN_SCREENSHOTS:-linux windows}"

if [[ " $sides " == *" linux "* ]]; then
  veltrin_build "$root" "$build" veltrin-shots
  # The screenshot program keeps its settings in a folder of its own; nothing of the user's is read.
  for lang in de en; do
    xvfb-run -a -s "-screen 0 1280x1024x24" "$build/veltrin-shots" --out "$out" --lang "$lang"
  done
  # The report's PDF (saved by the report scene) page by page, to look at as it prints.
  for pdf in "$out"/report-*.pdf; do
    [ -f "$pdf" ] && pdftoppm -r 80 -png "$pdf" "${pdf%.pdf}-page"
  done
  echo "Screenshots in $out"
fi

# --- Windows: the same windows from the Windows build under Wine ----------------------------------
# veltrin-shots.exe is built from the program's code against the static Qt for MinGW (as
# veltrin.exe) and runs under Wine on a virtual display with the windows platform plugin and the
# style Qt picks there (windowsvista, which draws the classic look where Wine has no theme). The
# query and comparison scenes read the Linux veltrin-sim through Wine's COM ports. Into
# <build>/screenshots/windows/.
[[ " $sides " == *" windows "* ]] || exit 0
veltrin_install_windows_deps
win="$root/build-win"
qt="$(veltrin_qt_mingw "$root" "$win")"
wine="$(veltrin_find_wine)"
wineserver="$(veltrin_find_wineserver "$wine")"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELTRIN_GUI=ON "-DVELTRIN_QT_MINGW=$qt" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build "$win" -j"$(nproc)" --target veltrin-shots
veltrin_build "$root" "$build" veltrin-sim veltrin-cli

export WINEPREFIX="$win/wineprefix-shots" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
shots="$win/shots"
mkdir -p "$shots"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "$wineserver" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT
# Two simulated encoders: COM1 for the query scenes, COM2 for the comparison.
for name in query compare; do
  rm -f "$shots/$name" "$shots/$name.out"
  "$build/veltrin-sim" --link "$shots/$name" --speed 0 >"$shots/$name.out" 2>&1 </dev/null &
  pids+=($!)
done
for _ in $(seq 100); do
  [ -e "$shots/query" ] && [ -e "$shots/compare" ] && break
  sleep 0.1
done
# The query scenes' encoder holds a configuration that shows every kind of text.
cli="$build/veltrin-cli"
config="$shots/scenes.ssi"
"$cli" defaults "$config"
"$cli" set "$config" internalPreset=12345 extPreset1=-100 extPreset1On=1 extPreset2=1000 \
  limit1Value=5000 limit1BitPosition=3 limit1BitOn=1 limit2Value=-5000 outputCode=1 >/dev/null
"$cli" --device "$(readlink -f "$shots/query")" send-all "$config"

rm -f "$shots/xvfb.display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$shots/xvfb.display" >/dev/null 2>&1 &
pids+=($!)
for _ in $(seq 100); do
  [ -s "$shots/xvfb.display" ] && break
  sleep 0.1
done
export DISPLAY=":$(cat "$shots/xvfb.display")"
if [ ! -f "$WINEPREFIX/.veltrin-shots" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$shots/query" /f >/dev/null 2>&1
  "$wine" reg add 'HKLM\Software\Wine\Ports' /v COM2 /d "$shots/compare" /f >/dev/null 2>&1
  veltrin_wine_fonts "$wine"
  veltrin_wine_desktop "$wine"
  "$wineserver" -w >/dev/null 2>&1
  touch "$WINEPREFIX/.veltrin-shots"
fi
# One server for the run, its output away from ours.
"$wineserver" -p >/dev/null 2>&1
ln -sfn "$shots/query" "$WINEPREFIX/dosdevices/com1"
ln -sfn "$shots/compare" "$WINEPREFIX/dosdevices/com2"
mkdir -p "$out/windows"
for lang in de en; do
  (cd "$win" && WINEQT_QPA_PLATFORM=windows VELTRIN_SHOTS_QUERY_PORT=COM1 VELTRIN_SHOTS_COMPARE_PORT=COM2 \
    "$wine" ./veltrin-shots.exe --out "$out/windows" --lang "$lang" </dev/null | tr -d '\r' | tail -n 3)
done
echo "Windows screenshots in $out/windows"
