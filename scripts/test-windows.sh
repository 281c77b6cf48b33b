#!/usr/bin/env bash
# Builds the core, veltrin-cli.exe and the core tests for 64-bit Windows with MinGW-w64 and runs
# them under Wine: every core test that needs no pseudo-terminal, then the Win32 serial port
# against the Linux simulator (COM ports mapped to its pseudo-terminals), then the byte traces
# and results of veltrin-cli.exe compared with those of the Linux veltrin-cli.
#   scripts/test-windows.sh                 # build folders build (Linux) and build-win (Windows)
#   VELTRIN_BUILD_ONLY=1 scripts/test-windows.sh   # installs and builds the Windows side only
# Installs what is missing (cross compiler, Wine); the Wine prefix lives in build-win/wineprefix.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_windows_deps

started=$SECONDS
linux="$root/build"
win="$root/build-win"
say() { echo "== test-windows: $* ($((SECONDS - started)) s)"; }

# --- Wine: Debian's wine64 lies in Wine's library folder, not on PATH ---------------------------
find_wine() {
  local c
  for c in "${WINE:-}" /usr/lib/wine/wine64 /usr/lib/x86_64-linux-gnu/wine/wine64 "$(command -v wine64 || true)" \
    "$(dpkg -L wine64 2>/dev/null | grep -E '/wine64$' | head -n1 || true)"; do
    if [ -n "$c" ] && [ -x "$c" ] && [ ! -d "$c" ]; then
      echo "$c"
      return
    fi
  done
  echo "test-windows: no wine64 found (package wine64)" >&2
  exit 1
}
wine="$(find_wine)"
# The server itself, not Debian's wrapper script (which adds options of its own).
wineserver="$(dirname "$wine")/wineserver64"
[ -x "$wineserver" ] || wineserver="$(dirname "$wine")/wineserver"
[ -x "$wineserver" ] || wineserver="$(command -v wineserver)"

export WINEPREFIX="$win/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko to install, nothing is shown
export LC_ALL=C.UTF-8                       # arguments and file names pass as UTF-8
unset DISPLAY WAYLAND_DISPLAY               # no window: the programs are console programs

# --- builds --------------------------------------------------------------------------------------
build_only="${VELTRIN_BUILD_ONLY:-}"
if [ -z "$build_only" ]; then
  say "Linux veltrin-sim and veltrin-cli"
  veltrin_build "$root" "$linux" veltrin-sim veltrin-cli
fi

say "Windows build (MinGW-w64)"
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DVELTRIN_GUI=OFF -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build "$win" -j"$(nproc)" --target veltrin-cli veltrin_tests veltrin_comport_tests
[ -z "$build_only" ] || exit 0

# veltrin-cli.exe runs on its own: it may import nothing but DLLs that every Windows has.
imports="$(x86_64-w64-mingw32-objdump -p "$win/veltrin-cli.exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')"
for dll in $imports; do
  case "$dll" in
  kernel32.dll | msvcrt.dll | advapi32.dll | shell32.dll | user32.dll | winmm.dll | ucrtbase.dll | api-ms-win-*) ;;
  *)
    echo "test-windows: veltrin-cli.exe needs $dll, which is not part of Windows" >&2
    exit 1
    ;;
  esac
done
say "veltrin-cli.exe imports only system DLLs: $(echo $imports)"

# --- the simulated encoders and the COM ports Wine maps to them ---------------------------------
ports="$win/ports"
mkdir -p "$ports"
declare -A sim_pid=()
cleanup() {
  local name
  for name in "${!sim_pid[@]}"; do kill "${sim_pid[$name]}" 2>/dev/null || true; done
  wait 2>/dev/null || true
  "$wineserver" -k >/dev/null 2>&1 || true
}
trap cleanup EXIT

# start_sim NAME ARGS...: veltrin-sim with the link $ports/NAME to its pseudo-terminal.
start_sim() {
  local name="$1"
  shift
  stop_sim "$name"
  "$linux/veltrin-sim" --link "$ports/$name" "$@" >"$ports/$name.out" 2>&1 </dev/null &
  sim_pid[$name]=$!
  local i
  for i in $(seq 100); do
    [ -s "$ports/$name.out" ] && [ -e "$ports/$name" ] && return
    sleep 0.1
  done
  echo "test-windows: the simulator $name did not start" >&2
  cat "$ports/$name.out" >&2
  exit 1
}
stop_sim() {
  local pid="${sim_pid[$1]:-}"
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  unset "sim_pid[$1]"
}

# Wine opens COM n through the link dosdevices/comn. Its mount manager makes these links anew
# at every start, from the registry's Software\Wine\Ports where a port is named there and from
# /dev/ttyS* otherwise; so the ports are named in the registry (once, with the prefix) and the
# links are laid too. The names point at the simulators' links, which stay the same from run to
# run while the pseudo-terminals change.
#
# The encoders whose bytes are compared keep the line's speed (--line-rate): on a
# pseudo-terminal the encoder's answer after a block could otherwise come within the 5 ms of
# its pause, and a loaded machine could let it arrive before the purge that precedes the wait
# for it (a retry then changes the bytes on the line, though not the result).
declare -A com=([encoder]=com1 [silent]=com2 [refusing]=com3 [trace]=com5 [high]=com12)
start_sim encoder --speed 0 --line-rate
start_sim silent --silent
start_sim refusing --nak-always 2 --line-rate
start_sim high --speed 0
start_sim trace --speed 0 --line-rate

if [ ! -f "$WINEPREFIX/.veltrin-ports" ]; then
  say "Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  for name in "${!com[@]}"; do
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v "${com[$name]^^}" /d "$ports/$name" /f >/dev/null 2>&1
  done
  "$wineserver" -w >/dev/null 2>&1
  touch "$WINEPREFIX/.veltrin-ports"
fi
for name in "${!com[@]}"; do ln -sfn "$ports/$name" "$WINEPREFIX/dosdevices/${com[$name]}"; done
# One server for every program of this run, and Wine's own services (device manager, mount
# manager) started now, away from the tests: a service started by a test would hold that test's
# output open, and ctest would wait for it.
"$wineserver" -p >/dev/null 2>&1
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

# --- the tests under Wine -------------------------------------------------------------------------
say "core and COM port tests under Wine"
export VELTRIN_COM_ENCODER=COM1 VELTRIN_COM_SILENT=COM2 VELTRIN_COM_REFUSING=COM3 VELTRIN_COM_HIGH=COM12
(cd "$win" && ctest --output-on-failure --timeout 300)

# --- veltrin-cli.exe against veltrin-cli: the same bytes on the line, results and files ---------
say "byte traces of veltrin-cli.exe and veltrin-cli compared"
compare="$win/compare"
mkdir -p "$compare"
# Commands of one run, each against the simulator named first (a fresh "trace" simulator per
# run, so both start from the same encoder).
runs=(
  "trace|query presets"
  "trace|read-all read.ssi"
  "trace|set read.ssi internalPreset=-3 limit2Value=\$1A0D0A"
  "trace|send-all read.ssi"
  "trace|query limits --json"
  "trace|actual --count 2 --json"
  "trace|read-all again.ssi"
  "trace|eeprom-store"
  "silent|query firmware"
  "refusing|ram-defaults"
)
run_all() { # run_all linux|windows
  local side="$1" i=0 entry name command device status
  start_sim trace --speed 0 --line-rate
  for entry in "${runs[@]}"; do
    name="${entry%%|*}"
    command="${entry#*|}"
    i=$((i + 1))
    if [ "$side" = linux ]; then
      device="$(readlink -f "$ports/$name")"
      set -- "$linux/veltrin-cli" --device "$device"
    else
      set -- "$wine" "$win/veltrin-cli.exe" --device "${com[$name]^^}"
    fi
    status=0
    # shellcheck disable=SC2086 # the command is split into its words on purpose
    (cd "$compare/$side" && exec "$@" --trace $command >"out.$i" 2>"trace.$i") || status=$?
    echo "$status" >"$compare/$side/status.$i"
    # Milliseconds and line ends differ; bytes and directions may not.
    sed -i -E 's/\r$//; s/^ *[0-9]+\.[0-9] ms //' "$compare/$side/trace.$i"
    sed -i -E 's/\r$//' "$compare/$side/out.$i"
  done
  stop_sim trace
}
# A block the encoder did not confirm is sent again; on a loaded machine that can happen to
# either program now and then, and changes the bytes on the line though not the results. So a
# difference is looked at twice: only one that comes again fails.
same=0
for attempt in 1 2; do
  rm -rf "$compare/linux" "$compare/windows"
  mkdir -p "$compare/linux" "$compare/windows"
  run_all linux
  run_all windows
  if diff -r "$compare/linux" "$compare/windows" >"$compare/diff.txt"; then
    same=1
    break
  fi
  echo "test-windows: attempt $attempt: veltrin-cli.exe differs from veltrin-cli:" >&2
  head -n 40 "$compare/diff.txt" >&2
done
[ "$same" = 1 ] || exit 1
lines=$(cat "$compare"/linux/trace.* | wc -l)
say "${#runs[@]} commands, $lines trace lines, results and files the same"
echo "test-windows: passed"
