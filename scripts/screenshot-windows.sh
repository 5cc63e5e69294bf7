#!/usr/bin/env bash
# Screenshots of the IP calculator and the read-me window under Xvfb, taken inside a network
# namespace that has only loopback. Needs root (ip netns).
#   scripts/screenshot-windows.sh [build-dir]   (writes docs/screenshots/calc.png and about.png)
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-test}")
cmake --build "$build" --target show_window >/dev/null
ns=vt-shell-shot-$$
display=:$((90 + $$ % 100))
ip netns add "$ns"
trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; sleep 0.3; ip netns del "$ns"' EXIT
ip -n "$ns" link set lo up
mkdir -p docs/screenshots
shot() {  # window kind, window caption, output file
    ip netns exec "$ns" sh -c "
        DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \"$build/tests/app/show_window\" $1 >/dev/null 2>&1 &
        pid=\$!
        sleep 2
        id=\$(DISPLAY=$display xwininfo -name \"$2\" | awk '/Window id:/ {print \$4}')
        DISPLAY=$display import -window \"\$id\" \"$3\"
        kill \$pid
    "
    echo "saved $3"
}
ip netns exec "$ns" sh -c "Xvfb $display -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &"
sleep 1
shot calc "คำนวน IP Address" docs/screenshots/calc.png
shot about "About..." docs/screenshots/about.png
