#!/usr/bin/env bash
# The installed programs work from their installed tree, away from the build tree:
#   installed_tree.sh install BUILD SOURCE   cmake --install BUILD into a scratch prefix with a blank
#   installed_tree.sh deb BUILD SOURCE       the Debian package (CPack), unpacked with dpkg -x into
#                                            a scratch root with a blank
# Then, run from there with LD_LIBRARY_PATH unset: veltrin-cli --version, its English usage
# (veltrin.en.txt found in share/veltrin), veltrin-cli query firmware against the installed
# veltrin-sim, veltrin --help, the desktop entry, the manual pages, the file type, the package's
# documents; the package itself through lintian --pedantic where lintian is installed.
# Exit status 77 (skipped) when a tool the mode needs is missing.
set -euo pipefail
mode="$1"
build="$(cd "$2" && pwd)"
source_dir="$(cd "$3" && pwd)"

scratch="$(mktemp -d "${TMPDIR:-/tmp}/veltrin-installed.XXXXXX")"
sim_pid=""
cleanup() {
    if [ -n "$sim_pid" ]; then kill "$sim_pid" 2>/dev/null || true; wait "$sim_pid" 2>/dev/null || true; fi
    rm -rf "$scratch"
}
trap cleanup EXIT
root="$scratch/scratch root"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
skip() { echo "SKIP: $*"; exit 77; }

case "$mode" in
install)
    prefix="$root/opt/Veltrin Tools"
    cmake --install "$build" --prefix "$prefix" >/dev/null
    ;;
deb)
    command -v dpkg-deb >/dev/null || skip "dpkg-deb is missing"
    command -v cpack >/dev/null || skip "cpack is missing"
    [ -f "$build/CPackConfig.cmake" ] || skip "the build has no CPack configuration"
    cpack --config "$build/CPackConfig.cmake" -B "$scratch/package" >"$scratch/cpack.log" 2>&1 ||
        { cat "$scratch/cpack.log" >&2; exit 1; }
    deb="$(ls "$scratch"/package/veltrin_*.deb)"
    dpkg-deb -x "$deb" "$root"
    prefix="$root/usr"
    depends="$(dpkg-deb -f "$deb" Depends)"
    echo "Depends: $depends"
    for lib in libc6 libstdc++6; do
        [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib"
    done
    if [ -x "$prefix/bin/veltrin" ]; then
        for lib in libqt6widgets6 qt6-qpa-plugins; do
            [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib"
        done
    fi
    ;;
*)
    echo "usage: $0 install|deb BUILD SOURCE" >&2
    exit 2
    ;;
esac

bin="$prefix/bin"
share="$prefix/share"
gui=false
[ -x "$bin/veltrin" ] && gui=true

# Runs an installed program from the scratch folder, without the build's library path.
run() { (cd "$scratch" && env -u LD_LIBRARY_PATH "$@"); }

# ---- The layout ---------------------------------------------------------------------------------
expected=(bin/veltrin-cli bin/veltrin-sim share/veltrin/veltrin.en.txt share/veltrin/help/Veltrin-P.html
          share/veltrin/pictures/148.png share/man/man1/veltrin-cli.1.gz share/man/man1/veltrin-sim.1.gz
          share/doc/veltrin/copyright share/doc/veltrin/changelog.gz)
$gui && expected+=(share/man/man1/veltrin.1.gz share/applications/veltrin.desktop
                   share/icons/hicolor/scalable/apps/veltrin.svg share/icons/hicolor/16x16/apps/veltrin.png
                   share/icons/hicolor/256x256/apps/veltrin.png share/mime/packages/veltrin.xml)
for f in "${expected[@]}"; do
    [ -e "$prefix/$f" ] || fail "$f is not installed"
done
# Every help page of the source tree, in every language's folder.
while read -r page; do
    [ -f "$share/veltrin/help/$page" ] || fail "help/$page is not installed"
done < <(cd "$source_dir/help" && find . -type f)
# Nothing installed points back into the build tree.
if grep -rIl --fixed-strings "$build" "$root" >/dev/null 2>&1; then
    fail "installed files name the build tree: $(grep -rIl --fixed-strings "$build" "$root" | head -3)"
fi

# ---- The command-line tool and the simulator ----------------------------------------------------
version="$(run "$bin/veltrin-cli" --version)" || fail "veltrin-cli --version failed"
[ "$version" = "veltrin-cli 1.04" ] || fail "veltrin-cli --version printed '$version'"
# English comes from share/veltrin/veltrin.en.txt, found from bin/.
usage="$(run "$bin/veltrin-cli" --lang en --help)" || fail "veltrin-cli --lang en --help failed"
[[ "$usage" == "Usage: veltrin-cli"* ]] || fail "veltrin-cli --lang en speaks no English: ${usage%%$'\n'*}"

coproc SIM { cd "$scratch" && exec env -u LD_LIBRARY_PATH "$bin/veltrin-sim" --firmware 0207; }
sim_pid=$SIM_PID
device=""
read -r -t 60 device <&"${SIM[0]}" || true
if [ -z "$device" ]; then
    fail "the installed veltrin-sim printed no device"
else
    firmware="$(run "$bin/veltrin-cli" --device "$device" query firmware 2>&1)" ||
        fail "veltrin-cli query firmware failed: $firmware"
    [[ "$firmware" == *0207* ]] || fail "veltrin-cli query firmware printed '$firmware'"
fi
kill "$sim_pid" 2>/dev/null || true
wait "$sim_pid" 2>/dev/null || true
sim_pid=""

# ---- The program --------------------------------------------------------------------------------
if $gui; then
    # --help prints and exits without a display.
    status=0
    out="$(run -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 60 "$bin/veltrin" --help 2>&1)" || status=$?
    [ "$status" -eq 0 ] || fail "veltrin --help: status $status, $out"
    [[ "$out" == *"veltrin [--device"* || "$out" == *"veltrin [Optionen]"* || "$out" == *"veltrin [options]"* ]] ||
        fail "veltrin --help printed no usage: $out"

    desktop="$share/applications/veltrin.desktop"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$desktop" || fail "desktop-file-validate refuses veltrin.desktop"
    else
        fail "desktop-file-validate is missing (Debian package desktop-file-utils)"
    fi
    # The program by its installed path; a path with a blank is quoted in Exec.
    case "$mode" in
    install) want_exec="Exec=\"$bin/veltrin\" %f" want_try="TryExec=$bin/veltrin" ;;
    deb) want_exec="Exec=/usr/bin/veltrin %f" want_try="TryExec=/usr/bin/veltrin" ;;
    esac
    for want in "$want_exec" "$want_try"; do
        got="$(grep "^${want%%=*}=" "$desktop")"
        [ "$got" = "$want" ] || fail "desktop entry: '$got', expected '$want'"
    done

    if command -v update-mime-database >/dev/null; then
        mkdir -p "$scratch/mime/packages"
        cp "$share/mime/packages/veltrin.xml" "$scratch/mime/packages/"
        update-mime-database "$scratch/mime" >/dev/null 2>&1 || fail "update-mime-database refuses veltrin.xml"
        [ -f "$scratch/mime/application/x-veltrin-configuration.xml" ] || fail "the file type is not defined"
    fi
fi

# ---- The manual pages ---------------------------------------------------------------------------
pages=("$share"/man/man1/*)
[ "${#pages[@]}" -ge 2 ] || fail "no manual pages installed"
for page in "${pages[@]}"; do
    [[ "$page" == *.1.gz ]] || fail "$(basename "$page") is not a compressed page of section 1"
    warnings="$(gzip -dc "$page" | groff -man -Tutf8 -ww -z 2>&1)" || fail "groff fails on $page"
    [ -z "$warnings" ] || fail "groff warns on $(basename "$page"): $warnings"
    if command -v lexgrog >/dev/null; then
        lexgrog "$page" >/dev/null || fail "lexgrog finds no NAME line in $(basename "$page")"
    fi
done

# ---- The package through lintian -------------------------------------------------------------------
# No error and no warning, pedantic tags included; the overrides the package ships are for German
# words that its spelling check takes for misspelt English ones.
if [ "$mode" = deb ]; then
    if command -v lintian >/dev/null; then
        lint="$(lintian --pedantic --display-info --fail-on error,warning,pedantic "$deb" 2>&1)" ||
            fail "lintian finds faults in the package"
        echo "lintian --pedantic --display-info: ${lint:-no tags}"
    else
        echo "lintian is not installed: the package is not linted"
    fi
fi

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "installed tree ($mode) works from $prefix"
