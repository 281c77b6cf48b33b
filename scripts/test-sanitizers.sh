#!/usr/bin/env bash
# Builds the core and command-line tests with clang under AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them: link, parameters, configuration files, veltrin-cli
# (in process and as a program against veltrin-sim), the simulator, the link soak, and the
# replay of the committed fuzz corpus. The Qt program is not built. The build folder is
# build-sanitizers (VELTRIN_SANITIZER_BUILD to change it); VELTRIN_BUILD_ONLY=1 installs and
# builds only. Called by .ci/run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/deps.sh"
VELTRIN_PACKAGES+=(clang)
veltrin_install_deps

# VELTRIN_SANITIZE=thread: ThreadSanitizer instead (the stations of a batch, the scan's probes),
# in build-sanitizers-thread; not part of .ci/run.
kind="${VELTRIN_SANITIZE:-address,undefined}"
if [ "$kind" = thread ]; then
  build="${VELTRIN_SANITIZER_BUILD:-$root/build-sanitizers-thread}"
else
  build="${VELTRIN_SANITIZER_BUILD:-$root/build-sanitizers}"
fi
case "$build" in /*) ;; *) build="$root/$build" ;; esac
sanitize="-fsanitize=$kind -fno-sanitize-recover=all -fno-omit-frame-pointer"
# -O1 without debug information: quick to build, and the reports still name the functions. The
# sanitizers check the C library's calls themselves: no fortified ones.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_COMPILER=clang++ \
  -DVELTRIN_GUI=OFF -DVELTRIN_HARDENING=OFF -DCMAKE_CXX_FLAGS="-O1 $sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=$kind" >/dev/null
# Only what the tests run: the test program (it builds veltrin-sim) and veltrin-cli.
cmake --build "$build" -j"$(nproc)" --target veltrin_tests veltrin-cli
[ -z "${VELTRIN_BUILD_ONLY:-}" ] || exit 0

cd "$build"
# Any finding ends the test that made it, with the stack of where it happened.
export ASAN_OPTIONS="abort_on_error=1:detect_leaks=1:strict_string_checks=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
# The install and package tests are the ordinary run's; they test no code of ours in process.
# VELTRIN_SANITIZER_TESTS: a ctest regular expression to run only some tests.
ctest --output-on-failure -j"$(nproc)" --timeout 300 -LE "install|package" ${VELTRIN_SANITIZER_TESTS:+-R "$VELTRIN_SANITIZER_TESTS"}
