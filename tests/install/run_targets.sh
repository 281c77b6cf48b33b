#!/usr/bin/env bash
# scripts/run.sh builds what it starts and nothing else: what make would build for its targets
# (VELTRIN_RUN_TARGETS of scripts/deps.sh, asked with make -n -B, which builds nothing) is the
# program, the simulator, veltrin-cli and the libraries they link, and none of the tests,
# benchmarks or tools. Exit status 77 (skipped) for a build that make does not drive.
#   run_targets.sh BUILD SOURCE
set -euo pipefail
build="$(cd "$1" && pwd)"
source_dir="$(cd "$2" && pwd)"
[ -f "$build/Makefile" ] && command -v make >/dev/null || { echo "SKIP: not a make build"; exit 77; }
source "$source_dir/scripts/deps.sh"
grep -q 'veltrin_build "$root" "$build" "${VELTRIN_RUN_TARGETS\[@\]}"' "$source_dir/scripts/run.sh" ||
    { echo "FAIL: scripts/run.sh does not build VELTRIN_RUN_TARGETS" >&2; exit 1; }

failures=0
# The run targets this build has (one without the Qt program, such as the sanitizers', has no
# veltrin), then the targets whose objects make would compile and the programs it would link.
asked=()
for program in "${VELTRIN_RUN_TARGETS[@]}"; do
    grep -q "^$program:" "$build/Makefile" && asked+=("$program")
done
plan="$(make -C "$build" -n -B "${asked[@]}" 2>/dev/null)"
targets="$(grep -oE 'CMakeFiles/[A-Za-z0-9_.+-]+\.dir/' <<<"$plan" | sort -u | sed -E 's|CMakeFiles/(.*)\.dir/|\1|')"
echo "run.sh builds: $(echo $targets)"
for target in $targets; do
    case "$target" in
    veltrin | veltrin-sim | veltrin-cli | veltrin_core | veltrin_sim | veltrin_cli_lib | veltrin_ui | veltrin_ui_autogen | veltrin_autogen) ;;
    *) echo "FAIL: run.sh would build $target" >&2; failures=$((failures + 1)) ;;
    esac
done
for program in "${VELTRIN_RUN_TARGETS[@]}"; do
    if [ "$program" = veltrin ] && ! grep -q "^veltrin:" "$build/Makefile"; then continue; fi  # no Qt program here
    grep -qx "$program" <<<"$targets" || { echo "FAIL: run.sh would not build $program" >&2; failures=$((failures + 1)); }
done
# The same question for the whole tree names the tests: the plan above is not empty by chance.
grep -q 'CMakeFiles/veltrin_tests\.dir/' <<<"$(make -C "$build" -n -B veltrin_tests 2>/dev/null)" ||
    { echo "FAIL: make -n -B names no test objects at all" >&2; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || exit 1
echo "run.sh builds only what it runs"
