#!/usr/bin/env bash
# Trace route and ping benchmarks on namespace chains, next to Debian's traceroute and ping.
# Run as root from anywhere: bench/reach.sh [trace|ping|trace6|ping6]  (all when no argument).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target reach-bench
for what in ${1:-trace ping trace6 ping6}; do
    QT_QPA_PLATFORM=offscreen build-bench/bench/reach-bench "$what"
done
