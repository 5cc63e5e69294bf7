#!/usr/bin/env bash
# Adapter tool benchmark on a confined NetworkManager (see bench/AdapterBench.cpp). Run as root.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVT_BUILD_TESTS=OFF -DVT_BUILD_BENCH=ON >/dev/null
cmake --build build-bench --target bench_adapter
build-bench/bench/bench_adapter
