#!/usr/bin/env bash
# Syslog ingest: floods over loopback at rising rates into the real syslog window (offscreen)
# and, side by side, into Debian's rsyslog writing a file; then the memory of the list at its
# 100 000-line maximum. Needs root (a loopback-only namespace per run).
#   bench/syslog-ingest.sh [build-dir] [count] [rates...]   COUNT messages per rate
#   bench/syslog-ingest.sh --sustain SECONDS [rates...]     each rate held for SECONDS
#   bench/syslog-ingest.sh --overload [count]               unpaced floods above capacity:
#                        event-loop wait, received/dropped, Stop-click time (window only)
# The build directory is build-bench (Release) unless given in the first form.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mode=count seconds=0
case "${1:-}" in
    --sustain) mode=sustain; seconds=${2:?seconds}; shift 2; set -- "" "" "$@" ;;
    --overload) mode=overload; shift; set -- "" "${1:-400000}" ;;
esac
build=$(realpath -m "${1:-$here/../build-bench}")
cmake -S "$here/.." -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_BENCH=ON \
    -DVT_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target bench_syslog_ingest >/dev/null
count=${2:-100000}
shift $(( $# > 2 ? 2 : $# ))
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(10000 20000 40000 80000)
# Messages for one run at a rate.
count_for() { if [ "$mode" = sustain ]; then echo $(( $1 * seconds )); else echo "$count"; fi; }
bin="$build/bench/bench_syslog_ingest"
[ "$(id -u)" -eq 0 ] || { echo "needs root (network namespaces, port 514)"; exit 1; }
export QT_QPA_PLATFORM=offscreen

ns=vt-syslog-bench-$$
work=$(mktemp -d)
cleanup() {
    ip netns pids "$ns" 2>/dev/null | xargs -r kill -9 2>/dev/null || true
    ip netns del "$ns" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
ip netns add "$ns"
ip -n "$ns" link set lo up
in_ns() { ip netns exec "$ns" "$@"; }

if [ "$mode" = overload ]; then
    echo "== window under unpaced floods: limit 10000, stamp on, all fields; $count messages first"
    dir="$work/overload"; mkdir -p "$dir"
    (cd "$dir" && in_ns "$bin" overload > "$dir/out" 2>/dev/null) &
    rx=$!
    until grep -q ready "$dir/out" 2>/dev/null; do sleep 0.1; done
    # Two senders at full speed: more than one thread of the window can take.
    in_ns "$bin" flood 0 "$count" > "$dir/sender1" &
    s1=$!
    in_ns "$bin" flood 0 "$count" > "$dir/sender2"
    wait $s1
    echo "senders: $(cat "$dir/sender1") + $(cat "$dir/sender2")"
    until grep -q phase1-done "$dir/out" 2>/dev/null; do sleep 0.1; done
    in_ns "$bin" flood 0 1000000000 > /dev/null &
    fl1=$!
    in_ns "$bin" flood 0 1000000000 > /dev/null &
    fl2=$!
    wait $rx
    kill $fl1 $fl2 2>/dev/null || true
    grep -v -e ready -e phase1-done "$dir/out"
    exit 0
fi

echo "== window: limit 10000, stamp on, all fields"
for rate in "${rates[@]}"; do
    n=$(count_for "$rate")
    dir="$work/window-$rate"; mkdir -p "$dir"
    (cd "$dir" && in_ns "$bin" receive "$n" > "$dir/out" 2>/dev/null) &
    rx=$!
    until grep -q ready "$dir/out" 2>/dev/null; do sleep 0.1; done
    sender=$(in_ns "$bin" flood "$rate" "$n")
    wait $rx
    echo "rate=$rate/s  $(grep received "$dir/out")  ($(grep -o 'receive-buffer=[0-9]*' "$dir/out"); sender: $sender)"
done

if command -v rsyslogd >/dev/null; then
    echo "== rsyslog 8 (imudp, omfile, default queue)"
    for rate in "${rates[@]}"; do
        n=$(count_for "$rate")
        dir="$work/rsyslog-$rate"; mkdir -p "$dir"
        cat > "$dir/rsyslog.conf" <<CONF
global(workDirectory="$dir")
module(load="imudp")
input(type="imudp" address="127.0.0.1" port="514")
*.* action(type="omfile" file="$dir/out.log")
CONF
        in_ns rsyslogd -n -f "$dir/rsyslog.conf" -i "$dir/pid" &
        until in_ns ss -Hunl 'sport = :514' | grep -q 514; do sleep 0.1; done
        pid=$(cat "$dir/pid" 2>/dev/null || pgrep -n rsyslogd)
        in_ns "$bin" flood "$rate" "$n" > /dev/null
        last=-1
        while :; do  # wait until the file stops growing
            sleep 1
            now=$(grep -c 'bench-msg' "$dir/out.log" 2>/dev/null || echo 0)
            [ "$now" = "$last" ] && break
            last=$now
        done
        read -r ut st < <(awk '{print $14, $15}' "/proc/$pid/stat")
        hz=$(getconf CLK_TCK)
        hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
        cpu=$(echo "scale=3; ($ut + $st) / $hz" | bc)
        per=$(echo "scale=1; $cpu * 1000000 / ($now + 1)" | bc)
        echo "rate=$rate/s  received=$now of $n  cpu=${cpu}s  cpu-per-msg=${per}us  peak-rss=${hwm}KiB"
        kill "$pid"; wait 2>/dev/null || true
    done
fi

echo "== memory: the list at its 100 000-line maximum"
mkdir -p "$work/memory"
(cd "$work/memory" && in_ns "$bin" memory 100000 2>/dev/null)  # its rotation writes a file here

echo "== view filter: keystrokes with 100 000 lines in the list"
(cd "$work/memory" && in_ns "$bin" filter 100000 2>/dev/null)
