#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (skips with a note when clang is missing) and, given
# a number of seconds, runs the syslog parser fuzzer that long on a copy of the corpus.
#   fuzz/build.sh          build only (CI)
#   fuzz/build.sh 300      build, then fuzz for 300 s
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v clang++ >/dev/null; then
    echo "note: clang++ not found: fuzz targets not built"
    exit 0
fi
CXX=clang++ cmake -S . -B ../build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build ../build-fuzz -j2
if [ "${1:-}" != "" ]; then
    work=../build-fuzz/corpus-syslog
    mkdir -p "$work"
    cp -n corpus/syslog/* "$work"/ 2>/dev/null || true
    ../build-fuzz/fuzz_syslog_parser -max_total_time="$1" -max_len=65536 -print_final_stats=1 \
        "$work"
fi
