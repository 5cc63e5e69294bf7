#!/usr/bin/env bash
# Screenshots of the syslog window under Xvfb, inside a network namespace that has only loopback:
# the window listens, the loopback sender has sent its five messages, logger adds messages of
# every severity class (the list's colours); then a filter is typed (the filtered view).
# Needs root (ip netns).   scripts/screenshot-syslog.sh [build-dir] [out-dir]
# VT_DISPLAY picks the Xvfb display number (default: one derived from the process id).
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-bench}")
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_BENCH=ON -DVT_BUILD_TESTS=OFF \
    >/dev/null
cmake --build "$build" -j2 --target bench_syslog_ingest >/dev/null
out=$(realpath -m "${2:-docs/screenshots}")
ns=vt-syslog-shot-$$
display=:${VT_DISPLAY:-$((90 + $$ % 100))}
work=$(mktemp -d)
ip netns add "$ns"
trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; sleep 0.3; ip netns del "$ns"; rm -rf "$work"' EXIT
ip -n "$ns" link set lo up
mkdir -p "$out"
ip netns exec "$ns" sh -c "
    cd $work
    Xvfb $display -screen 0 960x700x24 -nolisten tcp >/dev/null 2>&1 &
    sleep 1
    DISPLAY=$display QT_QPA_PLATFORM=xcb LANG=C.UTF-8 \"$build/bench/bench_syslog_ingest\" show 12 'down' >/dev/null 2>&1 &
    sleep 2.5
    send() { logger -d -n 127.0.0.1 -P 514 --rfc3164 -p \"\$1\" -t \"\$2\" \"\$3\"; }
    send local4.crit sw-core '%STACKMGR-2-SWITCH_REMOVED: Switch 2 has been removed from the stack'
    send local4.err sw-core '%LINK-3-UPDOWN: Interface GigabitEthernet1/0/24, changed state to down'
    send local4.warning fw-1 '%ASA-4-106023: Deny tcp src outside:198.51.100.7/443 dst inside:10.0.0.5/51234'
    send local4.notice sw-core '%LINEPROTO-5-UPDOWN: Line protocol on Interface Gi1/0/24, changed state to down'
    send local4.info ap-3 'client 3c:22:fb:10:20:30 associated'
    logger -d -n ::1 -P 514 --rfc5424=notq -p auth.err -t sshd 'Failed password for admin from 192.0.2.9'
    send local4.emerg ups-1 'On battery: power down in 5 minutes'
    sleep 1.5
    DISPLAY=$display import -window root \"$out/syslog.png\"
    sleep 3.5
    DISPLAY=$display import -window root \"$out/syslog-filter.png\"
"
echo "saved $out/syslog.png $out/syslog-filter.png"
