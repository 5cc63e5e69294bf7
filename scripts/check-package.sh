#!/usr/bin/env bash
# Builds the Debian package from a build folder and checks it the way a desktop would take it:
# the desktop entry and the AppStream metainfo validate; unpacked into a scratch root (dpkg -x),
# its postinst gives the program exactly cap_net_bind_service; started there as an ordinary user
# under Xvfb, inside a network namespace that has only loopback, it shows its main window with
# the window class its desktop entry names, and its syslog server, started from the window,
# receives a logger message on UDP port 514. Needs root (namespace, user switch, setcap).
#   scripts/check-package.sh [build-dir]        (VT_DISPLAY=:N picks the display; else a free one)
set -euo pipefail
cd "$(dirname "$0")/.."
[ "$(id -u)" -eq 0 ] || { echo "skipped: needs root (network namespace, setcap, user switch)"; exit 77; }
for tool in cpack dpkg-deb desktop-file-validate appstreamcli setcap getcap setpriv Xvfb xdotool \
    xprop logger; do
    command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed (scripts/install-deps.sh)"; exit 77; }
done
build=$(realpath "${1:-build-test}")
app_id=com.velkor.NetworkTool
title="Network-Tool V0.2.1 by.velkor"

scratch=$(mktemp -d)
ns=vt-package-check-$$
cleanup() {
    ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null || true
    sleep 0.3
    ip netns del "$ns" 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

echo "== package"
(cd "$build" && cpack -G DEB >"$scratch/cpack.log" 2>&1) || { cat "$scratch/cpack.log"; fail "cpack"; }
deb=$(ls -t "$build"/network-tool_*.deb | head -1)
dpkg-deb -I "$deb" | grep -E '^ (Package|Version|Depends):'
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries"

root=$scratch/root
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$root/DEBIAN"
chmod 755 "$scratch" "$root"

echo "== desktop entry and metainfo"
desktop-file-validate "$root/usr/share/applications/$app_id.desktop" || fail "desktop entry"
appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml" || fail "metainfo"
for size in 16 32 48 64 128 256; do
    [ -f "$root/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png" ] || fail "no ${size}px icon"
done

echo "== postinst"
DPKG_ROOT=$root sh "$root/DEBIAN/postinst" configure
caps=$(getcap "$root/usr/bin/velkor-tool" | awk '{print $2}')
[ "$caps" = "cap_net_bind_service=ep" ] || fail "program capabilities are '$caps'"
echo "velkor-tool: $caps"

echo "== start as an ordinary user in a loopback-only namespace"
ip netns add "$ns"
ip -n "$ns" link set lo up
home=$scratch/home
mkdir -p "$home/run" "$home/cwd"
chown -R nobody:nogroup "$home"
chmod 700 "$home/run"
run() { ip netns exec "$ns" "$@"; }
if [ -n "${VT_DISPLAY:-}" ]; then
    display=$VT_DISPLAY
    run Xvfb "$display" -screen 0 1280x900x24 -nolisten tcp -ac >/dev/null 2>&1 &
    sleep 1
else
    fifo=$scratch/displayfd
    mkfifo "$fifo"
    run Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp -ac 3>"$fifo" >/dev/null 2>&1 &
    read -r n <"$fifo"
    display=:$n
fi
export DISPLAY=$display
(cd "$home/cwd" && run setpriv --reuid=nobody --regid=nogroup --clear-groups \
    env -i DISPLAY="$display" HOME="$home" XDG_RUNTIME_DIR="$home/run" LANG=C.UTF-8 \
    QT_QPA_PLATFORM=xcb "$root/usr/bin/velkor-tool" >"$scratch/program.log" 2>&1) &
wait_for() {  # window name pattern; prints the window id
    for _ in $(seq 1 200); do
        id=$(run xdotool search --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    cat "$scratch/program.log" >&2
    run import -window root "$build/package-check.png" 2>/dev/null || true
    fail "no window named '$1' (screen in $build/package-check.png)"
}
main=$(wait_for "^$title\$")
class=$(run xprop -id "$main" WM_CLASS | sed 's/.*= //')
wmclass=$(sed -n 's/^StartupWMClass=//p' "$root/usr/share/applications/$app_id.desktop")
echo "main window: WM_CLASS $class"
[[ "$class" == *"\"$wmclass\""* ]] || fail "window class $class is not the desktop entry's $wmclass"

pid=$(ip netns pids "$ns" | while read -r p; do
    [ "$(cat /proc/"$p"/comm 2>/dev/null)" = velkor-tool ] && echo "$p"; done | head -1)
uid=$(awk '/^Uid:/ {print $3}' /proc/"$pid"/status)
capeff=$(awk '/^CapEff:/ {print $2}' /proc/"$pid"/status)
echo "program: effective uid $uid, effective capabilities $capeff"
[ "$uid" = "$(id -u nobody)" ] || fail "the program does not run as nobody"
[ "$capeff" = 0000000000000400 ] || fail "effective capabilities $capeff, not cap_net_bind_service alone"

echo "== syslog server on port 514 as that user"
run xdotool mousemove --window "$main" 30 10 click 1  # the menu "เครื่องมือ"
sleep 0.5
run xdotool key Down Down Return  # its second item, "Syslog Server"
syslog=$(wait_for "^Syslog Server\$")
sleep 0.5
run xdotool mousemove --window "$syslog" 60 20 click 1  # "Start Receive Syslog"
wait_for "Listening syslog message" >/dev/null
token="package check $$"
run logger -n 127.0.0.1 -P 514 -d --rfc3164 -t vt-check "$token"
sleep 1
width=$(run xdotool getwindowgeometry "$syslog" | sed -n 's/.*Geometry: \([0-9]*\)x.*/\1/p')
run xdotool mousemove --window "$syslog" $((width - 40)) 20 click 1  # "Clear Log", saves first
sleep 0.5
run xdotool key Return  # Yes
for _ in $(seq 1 50); do
    saved=$(ls "$home/cwd"/before-clear-*-log.txt 2>/dev/null | head -1) && [ -n "$saved" ] && break
    sleep 0.1
done
[ -n "${saved:-}" ] || { run import -window root "$build/package-check.png" || true; fail "no before-clear file (screen in $build/package-check.png)"; }
grep -a "Start Listening" "$saved" >/dev/null || fail "the list has no start line"
grep -a "$token" "$saved" >/dev/null || fail "the message sent to 514 did not arrive"
echo "received on 514 as nobody: $(grep -a "$token" "$saved" | tr -d '\r')"
[ -s "$scratch/program.log" ] && { echo "the program said:"; sed 's/^/  /' "$scratch/program.log"; }
echo "package check passed"
