#!/usr/bin/env bash
# Builds the core, veltrin-cli.exe, the program veltrin.exe (against the static Qt for MinGW),
# the core and GUI tests, the installer and the portable .zip for 64-bit Windows with MinGW-w64,
# and runs them under Wine: every core test that needs no pseudo-terminal, then the Win32 serial
# port against the Linux simulator (COM ports mapped to its pseudo-terminals), then the byte
# traces and results of veltrin-cli.exe compared with those of the Linux veltrin-cli; then the
# program's GUI tests on a virtual display, its settings read back from Wine's registry, its
# command line, and the installer installed and uninstalled silently.
#   scripts/test-windows.sh                 # build folders build (Linux) and build-win (Windows)
#   VELTRIN_BUILD_ONLY=1 scripts/test-windows.sh   # installs and builds the Windows side only
# Installs what is missing (cross compiler, Wine, NSIS); the Wine prefix lives in
# build-win/wineprefix. The static Qt is never built here: the archive qt6-mingw-6.4.2.tar.xz
# (VELTRIN_QT_MINGW_ARCHIVE, else ../shared/qt-mingw/ beside the source tree) is unpacked into
# build-win after its SHA-256 is checked. Without it the core part runs and the program's part
# fails, saying so.
#
# What Wine cannot show, and so is left to a real Windows PC: a second open of a COM port that
# is already open (Windows' serial driver refuses it, Wine does not, so "held by another
# program" is tested on Linux only); RTS_CONTROL_TOGGLE (Wine refuses it, the port then toggles
# RTS itself); a real serial driver's timing and a USB adapter unplugged; Windows' own fonts
# (Segoe UI: Wine has Tahoma) and its themed controls; the help page opened in the user's
# browser through the shell (Wine hands it to the Linux desktop, if any); Explorer's file-type
# double click and the Start menu shown (the registry entries and the links are checked).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
veltrin_install_windows_deps

started=$SECONDS
linux="$root/build"
win="$root/build-win"
say() { echo "== test-windows: $* ($((SECONDS - started)) s)"; }

wine="$(veltrin_find_wine)"
wineserver="$(veltrin_find_wineserver "$wine")"

export WINEPREFIX="$win/wineprefix" WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko to install, nothing is shown
export LC_ALL=C.UTF-8                       # arguments and file names pass as UTF-8
unset DISPLAY WAYLAND_DISPLAY               # no window: the programs are console programs

# --- the static Qt for MinGW: unpacked from its archive, never built here -------------------------
program=1
qt="$(veltrin_qt_mingw "$root" "$win")" || program=0

# --- builds --------------------------------------------------------------------------------------
build_only="${VELTRIN_BUILD_ONLY:-}"
if [ -z "$build_only" ]; then
  say "Linux veltrin-sim and veltrin-cli"
  veltrin_build "$root" "$linux" veltrin-sim veltrin-cli
fi

say "Windows build (MinGW-w64)"
targets=(veltrin-cli veltrin_tests veltrin_comport_tests)
gui=(-DVELTRIN_GUI=OFF -DVELTRIN_QT_MINGW=)
if [ "$program" = 1 ]; then
  targets+=(veltrin veltrin_gui_tests)
  gui=(-DVELTRIN_GUI=ON "-DVELTRIN_QT_MINGW=$qt")
fi
# The package is made of what is built for the tests: cpack builds nothing more.
cmake -S "$root" -B "$win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release "${gui[@]}" -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$wine" >/dev/null
cmake --build "$win" -j"$(nproc)" --target "${targets[@]}"
if [ "$program" = 1 ]; then
  say "installer and portable .zip (CPack: NSIS, ZIP)"
  rm -f "$win"/Veltrin-*-win64.*
  (cd "$win" && cpack -C Release -B "$win" >cpack.log 2>&1) || {
    cat "$win/cpack.log" >&2
    exit 1
  }
  rm -rf "$win/_CPack_Packages"
fi
[ -z "$build_only" ] || exit 0

# The programs run on their own: they may import nothing but DLLs that every Windows has.
check_imports() {
  local exe="$1" dll imports
  imports="$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')"
  for dll in $imports; do
    case "$dll" in
    kernel32.dll | msvcrt.dll | advapi32.dll | shell32.dll | user32.dll | winmm.dll | ucrtbase.dll | api-ms-win-* | \
      gdi32.dll | comdlg32.dll | ole32.dll | oleaut32.dll | imm32.dll | uxtheme.dll | dwmapi.dll | ws2_32.dll | \
      winspool.drv | shlwapi.dll | version.dll | netapi32.dll | userenv.dll | wtsapi32.dll | setupapi.dll | \
      d3d9.dll | dxgi.dll | d3d11.dll | dwrite.dll | mpr.dll | authz.dll | comctl32.dll | usp10.dll | shcore.dll) ;;
    *)
      echo "test-windows: $(basename "$exe") needs $dll, which is not part of Windows" >&2
      exit 1
      ;;
    esac
  done
  say "$(basename "$exe") imports only system DLLs: $(echo $imports)"
}
check_imports "$win/veltrin-cli.exe"
[ "$program" = 0 ] || check_imports "$win/veltrin.exe"

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
# The program's GUI tests have one of their own (gui, COM6), as fast as the line allows.
declare -A com=([encoder]=com1 [silent]=com2 [refusing]=com3 [trace]=com5 [gui]=com6 [high]=com12)
start_sim encoder --speed 0 --line-rate
start_sim silent --silent
start_sim refusing --nak-always 2 --line-rate
start_sim high --speed 0
start_sim trace --speed 0 --line-rate
start_sim gui --speed 0

# The program's windows go to a virtual display of their own, there from the first Wine process
# on (Wine's desktop process takes the display it started with).
if [ "$program" = 1 ]; then
  rm -f "$win/xvfb.display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$win/xvfb.display" >"$win/xvfb.log" 2>&1 &
  sim_pid[xvfb]=$!
  display=""
  for _ in $(seq 100); do
    display="$(cat "$win/xvfb.display" 2>/dev/null || true)"
    [ -z "$display" ] || break
    sleep 0.1
  done
  [ -n "$display" ] || {
    echo "test-windows: Xvfb did not start" >&2
    cat "$win/xvfb.log" >&2
    exit 1
  }
  export DISPLAY=":$display"
fi

if [ ! -f "$WINEPREFIX/.veltrin-ports-7" ]; then
  say "Wine prefix $WINEPREFIX"
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  for name in "${!com[@]}"; do
    "$wine" reg add 'HKLM\Software\Wine\Ports' /v "${com[$name]^^}" /d "$ports/$name" /f >/dev/null 2>&1
  done
  veltrin_wine_fonts "$wine"
  veltrin_wine_desktop "$wine"
  "$wineserver" -w >/dev/null 2>&1
  touch "$WINEPREFIX/.veltrin-ports-7"
fi
for name in "${!com[@]}"; do ln -sfn "$ports/$name" "$WINEPREFIX/dosdevices/${com[$name]}"; done
# One server for every program of this run, and Wine's own services (device manager, mount
# manager) started now, away from the tests: a service started by a test would hold that test's
# output open, and ctest would wait for it.
"$wineserver" -p >/dev/null 2>&1
"$wine" cmd /c exit </dev/null >/dev/null 2>&1

# No settings of an earlier run (veltrin-cli.exe speaks the language the program's settings name).
"$wine" reg delete 'HKCU\Software\Veltrin' /f >/dev/null 2>&1 || true

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

# --- several stations side by side: a thread, a COM port and a session each -------------------------
say "veltrin-cli.exe program on three stations at once"
stations="$win/stations"
rm -rf "$stations" && mkdir -p "$stations"
"$linux/veltrin-cli" defaults "$stations/a.ssi"
status=0
(cd "$stations" && "$wine" "$win/veltrin-cli.exe" --lang en program a.ssi --device COM1 --device COM2 --device COM3 \
  --verify --log stations.log </dev/null >out.txt 2>err.txt) || status=$?
tr -d '\r' <"$stations/out.txt" >"$stations/out"
# COM1 programmed, COM2 silent, COM3 refusing: each in its own line of the record.
if [ "$status" != 1 ] || [ "$(wc -l <"$stations/stations.log")" != 3 ] ||
  ! grep -q '"device":"COM1","station":1,.*"result":"programmed"' "$stations/stations.log" ||
  ! grep -q '"device":"COM2","station":2,.*"result":"failed"' "$stations/stations.log" ||
  ! grep -q '"device":"COM3","station":3,.*"result":"failed"' "$stations/stations.log" ||
  ! grep -qx 'In all: programmed 1, different 0, failed 2, interrupted 0' "$stations/out"; then
  echo "test-windows: three stations under Wine (status $status):" >&2
  cat "$stations/out" "$stations/err.txt" "$stations/stations.log" >&2
  exit 1
fi

if [ "$program" = 0 ]; then
  echo "test-windows: failed: the program's part needs the static Qt for MinGW (see above)" >&2
  exit 1
fi

# --- the program's GUI tests under Wine ------------------------------------------------------------
# Wine hands a Linux variable QT_x to a Windows program only as WINEQT_x.
say "GUI tests of veltrin.exe under Wine (windows platform, virtual display)"
# Built but left out here, each with its reason (the Linux run has them all):
linux_only=(
  # COM n stands for /dev/ttyS<n-1> and COM 1 and 2 are bound to Linux device paths; on Windows
  # COM n is the port of that name (WindowsProgram.* and the COM port tests).
  StartupTest.StoredPort3IsUsedAndThePortDialogThenSelectsNothing
  StartupTest.EmptyOrBlankBoundDeviceIsNoBinding
  # /dev/null as the device (WindowsProgram.PortThatDoesNotExistIsReportedWithTheReason and the
  # COM port test's NUL and file cases instead).
  StartupTest.DeviceThatIsNoSerialPortFailsAtTheFirstExchange
)
gui_filter="-$(IFS=:; echo "${linux_only[*]}"):WindowsProgram.PortAndLanguageGoToTheRegistryOfTheUser"
gui_log="$win/gui-tests.log"
status=0
(cd "$win" && WINEQT_QPA_PLATFORM=windows VELTRIN_COM_ENCODER="${com[gui]^^}" timeout 600 \
  "$wine" ./veltrin_gui_tests.exe --gtest_filter="$gui_filter" --gtest_brief=1 </dev/null >"$gui_log" 2>&1) || status=$?
tr -d '\r' <"$gui_log" | grep -v '^$' | tail -n 40
[ "$status" = 0 ] || {
  echo "test-windows: GUI tests failed (status $status)" >&2
  exit 1
}

# Port and language changed through the dialogs, then read back from Wine's registry after the
# program has ended. No drawing needed: the minimal platform.
say "settings in Wine's registry"
(cd "$win" && WINEQT_QPA_PLATFORM=minimal "$wine" ./veltrin_gui_tests.exe --gtest_brief=1 \
  --gtest_filter=WindowsProgram.PortAndLanguageGoToTheRegistryOfTheUser </dev/null >"$win/registry-test.log" 2>&1) || {
  tr -d '\r' <"$win/registry-test.log" >&2
  exit 1
}
settings="$("$wine" reg query 'HKCU\Software\Veltrin\Veltrin\Global' 2>/dev/null | tr -d '\r')"
if ! grep -Eq '^ +Port +REG_DWORD +0x2$' <<<"$settings" || ! grep -Eq '^ +Language +REG_DWORD +0x1$' <<<"$settings"; then
  echo "test-windows: HKCU\Software\Veltrin\Veltrin\Global does not hold Port 2 and Language 1:" >&2
  echo "$settings" >&2
  exit 1
fi
say "HKCU\Software\Veltrin\Veltrin\Global: Port REG_DWORD 0x2, Language REG_DWORD 0x1"

# expect_run NAME STATUS OUT-PATTERN ERR-PATTERN COMMAND...: runs it, checks the exit status and
# that standard output and error hold the patterns (grep -E, first line).
expect_run() {
  local name="$1" want="$2" out_pattern="$3" err_pattern="$4" status=0 out err
  shift 4
  out="$("$@" 2>"$win/expect.err" </dev/null | tr -d '\r')" || status=$?
  err="$(tr -d '\r' <"$win/expect.err")"
  if [ "$status" != "$want" ] || ! grep -Eq -- "$out_pattern" <<<"$out" || ! grep -Eq -- "$err_pattern" <<<"$err"; then
    echo "test-windows: $name: status $status (wanted $want)" >&2
    echo "standard output: $out" >&2
    echo "standard error: $err" >&2
    exit 1
  fi
}

# The program's command line, in the language of the settings just read (English): no window.
say "veltrin.exe --help, --version and a wrong option"
expect_run "veltrin.exe --help" 0 '^Usage: veltrin \[options\]' '^$' "$wine" "$win/veltrin.exe" --help
expect_run "veltrin.exe --version" 0 '^veltrin 1\.04$' '^$' "$wine" "$win/veltrin.exe" --version
expect_run "veltrin.exe --bogus" 2 '^$' '^Unknown option: --bogus$' "$wine" "$win/veltrin.exe" --bogus x.ssi
# The command line comes in UTF-16: a name the ANSI code page has no form for stays whole.
expect_run "veltrin.exe --Ωmega-Übung" 2 '^$' '^Unknown option: --Ωmega-Übung$' "$wine" "$win/veltrin.exe" --Ωmega-Übung

# veltrin.exe itself on the virtual display, on the simulator's COM port: it is still running
# after its start, and its main window is on Wine's desktop (the desktop alone is one colour).
say "veltrin.exe started on the virtual display"
"$wine" "$win/veltrin.exe" --device "${com[gui]^^}" </dev/null >"$win/program.log" 2>&1 &
program_pid=$!
sleep 6
if ! kill -0 "$program_pid" 2>/dev/null; then
  echo "test-windows: veltrin.exe ended at its start:" >&2
  tr -d '\r' <"$win/program.log" >&2
  exit 1
fi
import -window root "$win/program-start.png"
spread="$(convert "$win/program-start.png" -format '%[fx:standard_deviation]' info:)"
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
if awk -v s="$spread" 'BEGIN { exit !(s < 0.01) }'; then
  echo "test-windows: no window of veltrin.exe on the display (build-win/program-start.png)" >&2
  exit 1
fi

# --- the portable .zip and the installer -------------------------------------------------------
version="$(sed -n 's/^project(Veltrin VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
zip="$win/Veltrin-$version-win64.zip"
installer="$win/Veltrin-$version-win64.exe"
say "portable $(basename "$zip")"
portable="$win/portable/Veltrin Übung"
rm -rf "$win/portable"
mkdir -p "$portable"
unzip -q "$zip" -d "$portable"
for f in veltrin.exe veltrin-cli.exe veltrin.en.txt help/Veltrin-P.html help/Veltrin-P.css help/en/Veltrin-P.html \
  translations/qtbase_de.qm; do
  [ -f "$portable/$f" ] || {
    echo "test-windows: $f is missing from $(basename "$zip")" >&2
    exit 1
  }
done
# The English texts are found beside the unpacked program (Language is 1 now).
expect_run "portable veltrin.exe --help" 0 '^Usage: veltrin' '^$' "$wine" "$portable/veltrin.exe" --help
expect_run "portable veltrin-cli.exe" 0 '^veltrin-cli ' '^$' "$wine" "$portable/veltrin-cli.exe" --version
check_imports "$portable/veltrin.exe"

# The user's folders in the prefix, as Wine names them.
users="$WINEPREFIX/drive_c/users/${USER:-$(id -un)}"
target="$users/AppData/Local/Programs/Veltrin"
# Windows gives every profile %LOCALAPPDATA%\Programs (per-user programs go there); a new Wine
# prefix has none, and the installer's making it is no file left behind by the uninstaller.
mkdir -p "$users/AppData/Local/Programs"
menu="$users/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Veltrin"
files_now() { (cd "$WINEPREFIX/drive_c" && find . -iname temp -prune -o -path ./windows -prune -o -print | sort); }

install_cycle() { # install_cycle [UNINSTALL-OPTION]: installs silently, checks, uninstalls silently
  files_now >"$win/files-before"
  "$wine" "$installer" /S </dev/null >/dev/null 2>&1 || {
    echo "test-windows: the silent install failed" >&2
    exit 1
  }
  for f in veltrin.exe veltrin-cli.exe veltrin.en.txt help/Veltrin-P.html help/en/Veltrin-P.html \
    translations/qtbase_de.qm Uninstall.exe; do
    [ -f "$target/$f" ] || {
      echo "test-windows: the installer put no $f into $target" >&2
      exit 1
    }
  done
  for f in Veltrin.lnk Veltrin-Hilfe.lnk "Veltrin Help (English).lnk"; do
    [ -f "$menu/$f" ] || {
      echo "test-windows: no Start-menu entry $f" >&2
      exit 1
    }
  done
  expect_run "installed veltrin-cli.exe --version" 0 '^veltrin-cli ' '^$' "$wine" "$target/veltrin-cli.exe" --version
  expect_run "installed veltrin.exe --version" 0 '^veltrin 1\.04$' '^$' "$wine" "$target/veltrin.exe" --version
  expect_run "file type .ssi" 0 'REG_SZ +Veltrin\.Configuration$' '' "$wine" reg query 'HKCU\Software\Classes\.ssi'
  expect_run "file type's command" 0 'Programs\\Veltrin\\veltrin\.exe" "%1"$' '' \
    "$wine" reg query 'HKCU\Software\Classes\Veltrin.Configuration\shell\open\command'
  expect_run "uninstall entry" 0 'UninstallString +REG_SZ +"C:\\users\\.*\\Uninstall\.exe"$' '' \
    "$wine" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltrin'

  # The uninstaller copies itself away and runs from there: it is done when the folder is gone.
  "$wine" "$target/Uninstall.exe" /S "$@" </dev/null >/dev/null 2>&1 || true
  local i
  for i in $(seq 300); do
    [ -e "$target" ] || [ -e "$menu" ] || break
    sleep 0.2
  done
  files_now >"$win/files-after"
  if ! diff "$win/files-before" "$win/files-after" >"$win/files-diff"; then
    echo "test-windows: the uninstaller left files behind (or took some):" >&2
    cat "$win/files-diff" >&2
    exit 1
  fi
  local key
  for key in 'HKCU\Software\Classes\.ssi' 'HKCU\Software\Classes\Veltrin.Configuration' \
    'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltrin'; do
    if "$wine" reg query "$key" >/dev/null 2>&1; then
      echo "test-windows: the uninstaller left $key behind" >&2
      exit 1
    fi
  done
}
say "installer $(basename "$installer"): silent install, the installed programs, silent uninstall"
install_cycle
# The settings stay with a plain uninstall, and go when asked for.
"$wine" reg query 'HKCU\Software\Veltrin\Veltrin\Global' >/dev/null 2>&1 || {
  echo "test-windows: the uninstaller removed the user's settings" >&2
  exit 1
}
install_cycle /REMOVESETTINGS
if "$wine" reg query 'HKCU\Software\Veltrin\Veltrin' >/dev/null 2>&1; then
  echo "test-windows: Uninstall.exe /REMOVESETTINGS left the settings behind" >&2
  exit 1
fi
say "installed, run, uninstalled twice; nothing left behind, the settings only when asked"
echo "test-windows: passed"
