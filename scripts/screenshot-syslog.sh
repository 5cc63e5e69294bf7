#!/usr/bin/env bash
# Screenshot of the syslog window under Xvfb, inside a network namespace that has only loopback:
# the window listens, the loopback sender has sent its five messages, logger adds two more.
# Needs root (ip netns).   scripts/screenshot-syslog.sh [build-dir] [out.png]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-bench}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_BENCH=ON -DVT_BUILD_TESTS=OFF \
    >/dev/null
cmake --build "$build" --target bench_syslog_ingest >/dev/null
out=$(realpath -m "${2:-docs/screenshots/syslog.png}")
ns=vt-syslog-shot-$$
display=:$((90 + $$ % 100))
work=$(mktemp -d)
ip netns add "$ns"
trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; sleep 0.3; ip netns del "$ns"; rm -rf "$work"' EXIT
ip -n "$ns" link set lo up
mkdir -p "$(dirname "$out")"
ip netns exec "$ns" sh -c "
    cd $work
    Xvfb $display -screen 0 960x700x24 -nolisten tcp >/dev/null 2>&1 &
    sleep 1
    DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \"$build/bench/bench_syslog_ingest\" show 8 >/dev/null 2>&1 &
    sleep 2.5
    logger -d -n 127.0.0.1 -P 514 --rfc3164 -p local4.warning -t sw-core 'Interface Gi0/1 changed state to down'
    logger -d -n ::1 -P 514 --rfc5424=notq -p auth.err -t sshd 'Failed password for admin from 192.0.2.9'
    sleep 1.5
    DISPLAY=$display import -window root \"$out\"
"
echo "saved $out"
