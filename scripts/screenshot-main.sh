#!/usr/bin/env bash
# Screenshot of the main window under Xvfb, taken inside a network namespace that has only
# loopback (the program never sees a real interface). Needs root (ip netns).
#   scripts/screenshot-main.sh [build-dir] [out.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
out=${2:-docs/screenshots/main.png}
ns=vt-mainwin-shot-$$
display=:$((90 + $$ % 100))
ip netns add "$ns"
trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; sleep 0.3; ip netns del "$ns"' EXIT
ip -n "$ns" link set lo up
mkdir -p "$(dirname "$out")"
ip netns exec "$ns" sh -c "
    Xvfb $display -screen 0 1024x720x24 -nolisten tcp >/dev/null 2>&1 &
    sleep 1
    DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \"$build/app/velkor-tool\" >/dev/null 2>&1 &
    sleep 2.5
    id=\$(DISPLAY=$display xwininfo -name \"Network-Tool V0.2.1 by.velkor\" | awk \"/Window id:/ {print \\\$4}\")
    DISPLAY=$display import -window \"\$id\" \"$out\"
"
echo "saved $out"
