#!/usr/bin/env bash
# Installs what is missing, builds what it runs (the program, the simulator, veltrin-cli: no
# tests, no benchmarks; scripts/test.sh builds those), and starts Veltrin: on the simulated
# encoder, or on the serial device given as the first argument (e.g. scripts/run.sh /dev/ttyUSB0).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_deps
build="$root/build"
veltrin_build "$root" "$build" "${VELTRIN_RUN_TARGETS[@]}"

device="${1:-}"
sim_pid=""
cleanup() { [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true; }
trap cleanup EXIT

if [ -z "$device" ]; then
  link="$(mktemp -u /tmp/veltrin-sim.XXXXXX)"
  # veltrin-sim prints the device path on its first line once it serves.
  coproc SIM { exec "$build/veltrin-sim" --link "$link"; }
  sim_pid=$SIM_PID
  read -r -t 10 device <&"${SIM[0]}" || { echo "the simulator did not start" >&2; exit 1; }
  echo "Simulated encoder on $device"
fi

if [ -x "$build/veltrin" ] && { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; }; then
  "$build/veltrin" --device "$device"
else
  [ -x "$build/veltrin" ] && echo "No display: showing the encoder with veltrin-cli instead."
  "$build/veltrin-cli" --device "$device" query firmware
  "$build/veltrin-cli" --device "$device" query presets
  "$build/veltrin-cli" --device "$device" actual --count 3
fi
