#!/usr/bin/env bash
# The program in a real notification area that embeds icons as windows (XEmbed, as on Xfce, MATE
# and LXDE: trayer here), with a window manager (openbox), under Xvfb, inside a network namespace
# that has only loopback. Opens the syslog window, sends the program to the tray with "No" to the
# close question and with the minimise box, checks each time that the icon's window stays mapped
# in the tray and the two windows are gone, brings them back with a double click on the icon and
# with the icon menu's "เปิดโปรแกรม", and checks that both windows are back.
# Needs no network: as root the namespace is made with ip netns, otherwise as an unprivileged user
# and network namespace (unshare -rn) where the system allows it; skipped (77) where neither can
# be made or a tool is missing.
#   tests/app/tray-xembed.sh <velkor-tool>
set -euo pipefail
program=$(realpath "${1:?usage: tray-xembed.sh <velkor-tool>}")
skip() { echo "skipped: $*"; exit 77; }

if [ "${VT_TRAY_INSIDE:-}" != 1 ]; then
    for tool in Xvfb xdotool xwininfo xprop trayer openbox timeout; do
        command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh)"
    done
    script=$(realpath "$0")
    if [ "$(id -u)" -eq 0 ]; then
        ns=vt-tray-xembed-$$
        ip netns add "$ns"
        trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; ip netns del "$ns" 2>/dev/null' EXIT
        ip -n "$ns" link set lo up
        rc=0
        VT_TRAY_INSIDE=1 ip netns exec "$ns" "$script" "$program" || rc=$?
        exit "$rc"
    fi
    unshare -rn true 2>/dev/null ||
        skip "not root, and this system allows no unprivileged network namespace (unshare -rn)"
    exec env VT_TRAY_INSIDE=1 unshare -rn "$script" "$program"
fi

# Inside the namespace from here on.
ip link set lo up 2>/dev/null || true
scratch=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$scratch"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    echo "-- windows of the notification area:" >&2
    for t in $(xdotool search --class '^trayer$' 2>/dev/null); do xwininfo -tree -id "$t" >&2 || true; done
    echo "-- the program said:" >&2
    cat "$scratch/program.log" >&2 || true
    exit 1
}

# Up to 10 s for a condition (a command), polled every 0.1 s.
wait_until() {
    local what=$1
    shift
    for _ in $(seq 1 100); do
        "$@" && return 0
        sleep 0.1
    done
    fail "$what"
}
# The first window matching xdotool's search arguments, waited for with a bound.
find_window() {
    timeout 10 xdotool search --sync "$@" 2>/dev/null | head -1
}
mapped() { xwininfo -id "$1" 2>/dev/null | grep -q 'Map State: IsViewable'; }
unmapped() { ! mapped "$1"; }
# The program's window inside the notification area: its tray icon.
tray_icon() {
    for t in $(xdotool search --class '^trayer$' 2>/dev/null); do
        xwininfo -tree -id "$t" 2>/dev/null | awk '/\("velkor-tool" / {print $1; exit}'
    done | head -1
}
# The program's shown windows (override-redirect popups such as menus included); a menu has
# opened when they differ from those in $before.
shown_windows() { { xdotool search --onlyvisible --classname '^velkor-tool$' 2>/dev/null || true; } | sort; }
popup_opened() { [ "$(shown_windows)" != "$before" ]; }

fifo=$scratch/displayfd
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x900x24 -nolisten tcp 3>"$fifo" >"$scratch/xvfb.log" 2>&1 &
pids+=($!)
read -r n <"$fifo"
export DISPLAY=:$n
# No session bus: Qt then uses the XEmbed notification area, not a StatusNotifier host.
mkdir -m 700 "$scratch/run" "$scratch/cwd"
export XDG_RUNTIME_DIR=$scratch/run DBUS_SESSION_BUS_ADDRESS=unix:path=$scratch/run/no-bus

openbox --sm-disable >"$scratch/openbox.log" 2>&1 &
pids+=($!)
wait_until "no window manager came up" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"'
trayer --edge top --align right --widthtype request --height 28 --SetDockType true \
    --transparent false >"$scratch/trayer.log" 2>&1 &
pids+=($!)
[ -n "$(find_window --class '^trayer$')" ] || fail "no notification area (trayer) came up"

(cd "$scratch/cwd" && exec env QT_QPA_PLATFORM=xcb LANG=C.UTF-8 "$program" >"$scratch/program.log" 2>&1) &
pids+=($!)
main=$(find_window --onlyvisible --name '^Network-Tool V.* by\.velkor$')
[ -n "$main" ] || fail "no main window"
wait_until "the icon never reached the notification area" test -n "$(tray_icon)"
icon=$(tray_icon)
wait_until "the icon's window is not mapped in the notification area" mapped "$icon"
echo "main window $main, tray icon $icon embedded in trayer"

# The syslog window from the menu "เครื่องมือ" (its second item), as a user opens it.
before=$(shown_windows)
xdotool windowactivate --sync "$main" mousemove --window "$main" 30 10 click 1
wait_until "the menu did not open" popup_opened
xdotool key Down Down Return
syslog=$(find_window --onlyvisible --name '^Syslog Server$')
[ -n "$syslog" ] || fail "no syslog window"

in_tray() {  # how the program went there
    wait_until "$1: the main window is still shown" unmapped "$main"
    wait_until "$1: the syslog window is still shown" unmapped "$syslog"
    mapped "$icon" || fail "$1: the tray icon's window was unmapped: the notification area is empty"
    [ "$(tray_icon)" = "$icon" ] || fail "$1: the icon left the notification area"
    echo "$1: in the tray, icon mapped"
}
back() {  # how it was brought back
    wait_until "$1: the main window did not come back" mapped "$main"
    wait_until "$1: the syslog window did not come back" mapped "$syslog"
    mapped "$icon" || fail "$1: the tray icon's window is not mapped"
    echo "$1: main window and syslog window back"
}
double_click_icon() { xdotool mousemove --window "$icon" 11 11 click --repeat 2 --delay 120 1; }

# 1. The close box (Alt+F4 asks the window manager to close it), answered "No".
xdotool windowactivate --sync "$main" key --clearmodifiers alt+F4
box=$(timeout 10 xdotool search --sync --onlyvisible --name '^Network-Tool$' 2>/dev/null |
    grep -vx -e "$main" -e "$icon" | head -1 || true)
[ -n "$box" ] || fail "no close question"
xdotool windowactivate --sync "$box" key n
in_tray '"No"'
double_click_icon
back "double click"

# 2. The minimise box.
xdotool windowminimize --sync "$main"
in_tray "minimise box"
double_click_icon
back "double click"

# 3. The minimise box, then "เปิดโปรแกรม" in the icon's menu.
xdotool windowminimize --sync "$main"
in_tray "minimise box"
before=$(shown_windows)
xdotool mousemove --window "$icon" 11 11 click 3
wait_until "the icon's menu did not open" popup_opened
xdotool key Down Return
back "เปิดโปรแกรม"

echo "tray on an XEmbed notification area: passed"
