#!/usr/bin/env bash
# Runs the test programs of the Windows cross build (cmake --preset windows-mingw) under Wine,
# all in one fresh prefix whose wineserver starts inside the namespace chain of wine-ns.sh;
# the adapters Wine lists are checked to be the chain host's before any test program starts.
# Widget tests run on Qt's offscreen platform; test_common runs twice, under a Thai locale (ANSI
# code page 874) and a Western one (1252); test_win_components runs the real components in the
# chain. Tests in wine-skips.txt are left out by name, with their reason printed.
#   tests/win/wine-tests.sh <cross build dir>      Exit 0 all passed, 1 a failure, 77 skipped.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/wine-ns.sh"

build=$(realpath -m "${1:-build-mingw}")
vt_wine_need
list=$build/windows-tests.txt
[ -f "$list" ] && [ -f "$build/tests/win/vt_wincheck.exe" ] ||
    skip "no Windows test build in $build: ./test.sh makes it when the Windows SDK is there"
qt_dir=$(sed -n 's/^Qt6_DIR:PATH=//p' "$build/CMakeCache.txt")
sdk=$(realpath -m "$qt_dir/../../..")
[ -d "$sdk/bin" ] || abort "the build's Qt ($qt_dir) is gone"

work=$(mktemp -d /tmp/vt-wintests-XXXXXX)
vt_cleanups+=("rm -rf '$work'")
prefix=$work/prefix
vt_chain_up vt-wt-$$
vt_wine_server "$H" "$prefix"

# The DLLs the test programs need: Qt from the SDK, the MinGW runtime; Wine sees / as Z:.
win_path() { sed 's|/|\\|g; s|^|Z:|' <<<"$1"; }
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
export WINEPATH="$(win_path "$sdk/bin");$(win_path "$gcc_dir");$(win_path /usr/x86_64-w64-mingw32/lib)"
export QT_PLUGIN_PATH=$(win_path "$sdk/plugins") QT_QPA_PLATFORM=offscreen

echo "--- creating the Wine prefix in $H"
adapters=$(vt_wine "$H" "$prefix" "$build/tests/win/vt_wincheck.exe" adapters 2>/dev/null | tr -d '\r')
echo "$adapters"
vt_wine_confined "$H" "$prefix"
vt_chain_adapters_check "$adapters"
echo "(prefix made and adapters checked at ${SECONDS}s)"

# A syslog client on the target, beyond the router, for test_win_components.
ip netns exec "$T" bash -c 'while :; do
    printf "<13>Oct 11 22:14:15 target probe: from the target" >/dev/udp/10.201.1.2/514
    sleep 0.5; done' >/dev/null 2>&1 &
vt_cleanups+=("kill $! 2>/dev/null; wait $! 2>/dev/null")

programs=0 total=0 ok=0 skipped=0 by_name=0 bad=0
run() {  # run <label> <program> <exe> [env assignments]: one test program under Wine
    local label=$1 name=$2 exe=$3 filter="" log n p s f
    shift 3
    while read -r prog test reason; do
        [ "$prog" = "$name" ] || continue
        filter+=":$test"
        by_name=$((by_name + 1))
        echo "skip  $name $test: $reason"
    done < <(grep -v '^#' "$here/wine-skips.txt")
    log=$work/$label.log
    (cd "$work" && env "$@" timeout 300 ip netns exec "$H" env WINEPREFIX="$prefix" HOME="$work" \
        "$wine" "$exe" ${filter:+--gtest_filter=-${filter#:}} >"$log" 2>&1)
    local rc=$?
    tr -d '\r' <"$log" >"$log.txt"
    n=$(sed -n 's/^\[==========\] \([0-9]*\) tests\? from .* ran\..*/\1/p' "$log.txt")
    p=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\?\..*/\1/p' "$log.txt")
    s=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log.txt")
    f=$(sed -n 's/^\[  FAILED  \] \([0-9]*\) tests\?, listed below:.*/\1/p' "$log.txt")
    programs=$((programs + 1)) total=$((total + ${n:-0})) ok=$((ok + ${p:-0}))
    skipped=$((skipped + ${s:-0}))
    if [ $rc -ne 0 ] || [ -z "$n" ] || [ -n "$f" ]; then
        bad=$((bad + 1))
        echo "FAIL  $label (exit $rc): ${n:-?} ran, ${p:-0} passed, ${s:-0} skipped, ${f:-?} failed"
        grep -E '^\[  FAILED  \] [A-Za-z]|Failure|error|Expected|Which is|actual' "$log.txt" | head -40
        [ -n "$n" ] || tail -20 "$log.txt"
    else
        echo "ok    $label: $n ran, ${p:-0} passed, ${s:-0} skipped ($((SECONDS))s)"
    fi
}

echo "--- test programs"
while read -r name exe; do
    case $name in
    test_common)
        run "$name (th_TH, code page 874)" "$name" "$exe" LC_ALL=th_TH.UTF-8 VT_EXPECT_ACP=874
        run "$name (en_US, code page 1252)" "$name" "$exe" LC_ALL=en_US.UTF-8 VT_EXPECT_ACP=1252
        ;;
    test_win_components) run "$name" "$name" "$exe" LC_ALL=C VT_CHAIN=1 ;;
    *) run "$name" "$name" "$exe" LC_ALL=C ;;
    esac
done <"$list"
vt_wine_confined "$H" "$prefix"

# Why tests skipped themselves (GoogleTest prints the reason under "Skipped").
echo "--- reasons of skipped tests"
cat "$work"/*.log.txt | grep -A1 -E ': Skipped$' | grep -vE ': Skipped$|^--$' | sort | uniq -c
echo "$programs program runs, $total tests ran, $ok passed, $skipped skipped, $by_name left out by name; $bad runs failed (${SECONDS}s)"
[ "$bad" -eq 0 ]
