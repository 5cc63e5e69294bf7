#!/usr/bin/env bash
# The packaged Windows program starts: unzips Network-Tool-<version>-win64.zip into an empty
# folder, starts velkor-tool.exe under Wine on a virtual display (Xvfb) inside a namespace that has
# only loopback, and waits for the main window with its caption. Prints the time from the start
# to the window being shown, and saves a screenshot when asked.
#   tests/win/wine-start-check.sh <zip> [screenshot.png]
# VT_WINE_DISPLAY picks the display (":61"); otherwise Xvfb takes a free one.
# Exit 0 passed, 1 failed, 77 skipped.
set -uo pipefail
. "$(dirname "$0")/wine-ns.sh"

zip=${1:-}
shot=${2:+$(realpath -m "$2")}
vt_wine_need
command -v Xvfb >/dev/null && command -v xwininfo >/dev/null ||
    skip "needs Xvfb and xwininfo (Debian packages xvfb, x11-utils)"
[ -n "$zip" ] && [ -f "$zip" ] ||
    skip "no Windows package at '$zip': scripts/package-windows.sh makes it when the Windows SDK is there"

version=$(basename "$zip" | sed -n 's/^Network-Tool-\(.*\)-win64\.zip$/\1/p')
caption="Network-Tool V$version by.velkor"
work=$(mktemp -d /tmp/vt-winstart-XXXXXX)
vt_cleanups+=("rm -rf '$work'")
mkdir "$work/unpacked"
zip=$(realpath "$zip")
(cd "$work/unpacked" && cmake -E tar xf "$zip") || abort "cannot unpack $zip"
exe=$(find "$work/unpacked" -name velkor-tool.exe | head -1)
[ -n "$exe" ] || abort "no velkor-tool.exe in $zip"
echo "unpacked: $(cd "$(dirname "$exe")" && find . -type f | sort | tr '\n' ' ')"

ns=vt-winstart-$$
vt_ns_add "$ns"
# The display lives in the namespace too; Xvfb reports the number it took on fd 3.
if [ -n "${VT_WINE_DISPLAY:-}" ]; then
    display=$VT_WINE_DISPLAY
    ip netns exec "$ns" Xvfb "$display" -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &
else
    ip netns exec "$ns" Xvfb -displayfd 3 -screen 0 1024x720x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
fi
# Ended before the namespace goes, so it removes its lock file.
vt_cleanups+=("kill $! 2>/dev/null; wait $! 2>/dev/null")
if [ -z "${VT_WINE_DISPLAY:-}" ]; then
    for _ in $(seq 50); do [ -s "$work/display" ] && break; sleep 0.1; done
    display=:$(cat "$work/display")
fi
export DISPLAY=$display
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done
xwininfo -root >/dev/null 2>&1 || abort "no virtual display $display"

prefix=$work/prefix
vt_wine_server "$ns" "$prefix"
echo "--- creating the Wine prefix in $ns"
vt_wine "$ns" "$prefix" wineboot -i >/dev/null 2>&1
vt_wine_confined "$ns" "$prefix"

echo "--- starting $exe on $display"
start=$(date +%s%N)
(cd "$(dirname "$exe")" && LC_ALL=C.UTF-8 vt_wine "$ns" "$prefix" "$exe" >"$work/program.log" 2>&1) &
shown=
for _ in $(seq 600); do
    if xwininfo -name "$caption" 2>/dev/null | grep -q 'Map State: IsViewable'; then
        shown=$(date +%s%N)
        break
    fi
    sleep 0.05
done
vt_wine_confined "$ns" "$prefix"
if [ -z "$shown" ]; then
    echo "FAIL  no window \"$caption\" within 30 s; windows on the display:"
    xwininfo -root -tree | grep '"' | head -20
    tail -20 "$work/program.log"
    exit 1
fi
echo "ok    main window \"$caption\" shown $(((shown - start) / 1000000)) ms after the start"
if [ -n "$shot" ]; then
    sleep 1  # let the first paint finish
    id=$(xwininfo -name "$caption" | awk '/Window id:/ {print $4}')
    import -window "$id" "$shot" && echo "saved $shot"
fi
