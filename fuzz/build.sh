#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (skips with a note when clang is missing) and, given
# a number of seconds, runs one fuzzer that long on a copy of its corpus.
#   fuzz/build.sh                 build only (CI)
#   fuzz/build.sh 300             build, then fuzz the syslog parser for 300 s
#   fuzz/build.sh 300 icmp        build, then fuzz the ICMP reply parsers for 300 s
set -euo pipefail
cd "$(dirname "$0")"
if ! command -v clang++ >/dev/null; then
    echo "note: clang++ not found: fuzz targets not built"
    exit 0
fi
CXX=clang++ cmake -S . -B ../build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build ../build-fuzz -j2
if [ "${1:-}" != "" ]; then
    case "${2:-syslog}" in
        syslog) target=fuzz_syslog_parser corpus=syslog max_len=65536 ;;
        icmp) target=fuzz_icmp_packet corpus=icmp max_len=1500 ;;
        *) echo "unknown fuzz target ${2}: syslog or icmp" >&2; exit 2 ;;
    esac
    work=../build-fuzz/corpus-$corpus
    mkdir -p "$work"
    cp -n corpus/$corpus/* "$work"/ 2>/dev/null || true
    ../build-fuzz/$target -max_total_time="$1" -max_len=$max_len -print_final_stats=1 "$work"
fi
