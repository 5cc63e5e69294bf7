#!/usr/bin/env bash
# Start-up figures of the program under Xvfb: time from exec to the main window being mapped
# (viewable), and resident memory one second after that, over several runs. Runs inside a network
# namespace that has only loopback, so the program sees no real interface. Needs root (ip netns).
#   bench/main-start.sh [build-dir] [runs]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(cd "${1:-build}" && pwd)
runs=${2:-7}
exe=$build/app/velkor-tool
title="Network-Tool V0.2.1 by.velkor"
[ -x "$exe" ] || { echo "no $exe: build first (cmake --build $build)"; exit 1; }
mkdir -p bench/out

ns=vt-mainwin-bench-$$
ip netns add "$ns"
trap 'ip netns pids "$ns" 2>/dev/null | xargs -r kill 2>/dev/null; sleep 0.3; ip netns del "$ns" 2>/dev/null' EXIT
ip -n "$ns" link set lo up

# One run inside the namespace: prints "<ms to shown> <RSS kB> <CPU ms to shown>".
one_run=$(cat <<'RUN'
set -eu
# A display of its own for each run; Xvfb picks a free number.
fifo=$(mktemp -u); mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r n <"$fifo"; rm -f "$fifo"
DISPLAY_NO=:$n
trap 'kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null' EXIT
t0=$(date +%s%N)
DISPLAY=$DISPLAY_NO QT_QPA_PLATFORM=xcb "$EXE" >"$LOG" 2>&1 &
pid=$!
while ! DISPLAY=$DISPLAY_NO xwininfo -name "$TITLE" 2>/dev/null | grep -q IsViewable; do
    kill -0 $pid 2>/dev/null || { echo "program ended early:" >&2; cat "$LOG" >&2; exit 1; }
    sleep 0.005
done
t1=$(date +%s%N)
# CPU time used up to now (user + system), less disturbed by other load than the wall clock.
cpu=$(awk -v hz="$(getconf CLK_TCK)" '{print int(($14 + $15) * 1000 / hz)}' /proc/$pid/stat)
sleep 1
rss=$(awk '/^VmRSS/ {print $2}' /proc/$pid/status)
kill $pid; wait $pid 2>/dev/null || true
echo $(( (t1 - t0) / 1000000 )) $rss $cpu
RUN
)

results=()
for i in $(seq 1 "$runs"); do
    r=$(ip netns exec "$ns" env EXE="$exe" TITLE="$title" LOG="$PWD/bench/out/main-start.log" sh -c "$one_run")
    read -r ms rss cpu <<<"$r"
    echo "run $i: shown after $ms ms (CPU $cpu ms), RSS $rss kB"
    results+=("$r")
done
printf '%s\n' "${results[@]}" | sort -n | awk -v runs="$runs" '
    { ms[NR] = $1; rss += $2; if ($2 > maxrss) maxrss = $2 }
    END {
        printf "start to shown: median %d ms, min %d ms, max %d ms (%d runs)\n",
               ms[int((NR + 1) / 2)], ms[1], ms[NR], runs
        printf "RSS after start: mean %d kB, max %d kB\n", rss / NR, maxrss
    }' | tee bench/out/main-start.txt
printf '%s\n' "${results[@]}" | awk '{print $3}' | sort -n | awk '
    { cpu[NR] = $1 } END { printf "CPU time to shown: median %d ms\n", cpu[int((NR + 1) / 2)] }' |
    tee -a bench/out/main-start.txt
echo "load average: $(cut -d" " -f1-3 /proc/loadavg)" | tee -a bench/out/main-start.txt
