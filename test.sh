#!/usr/bin/env bash
# Installs what is missing, builds everything, and runs every test headless.
#   VT_SANITIZE=1 ./test.sh   also runs the unprivileged tests under ASan + UBSan (build-asan)
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
export QT_QPA_PLATFORM=offscreen
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-test -G Ninja -DCMAKE_BUILD_TYPE=Debug -DVT_BUILD_TESTS=ON "${launcher[@]}" >/dev/null
cmake --build build-test
# The Windows backends, cross-built with MinGW-w64 when it is there; ctest runs them under Wine.
if command -v x86_64-w64-mingw32-g++-posix >/dev/null || command -v x86_64-w64-mingw32-g++ >/dev/null; then
    cmake -S tests/win -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" >/dev/null
    cmake --build build-win
else
    echo "note: MinGW-w64 not installed: the Windows backends are not built or run under Wine"
fi
# The Windows program, cross-built against the Windows SDK when it is there (VT_WIN_SDK or its
# cache folder); ctest runs its test programs under Wine and starts the packaged program.
. scripts/win-sdk-path.sh
if vt_win_sdk_ready; then
    [ -f build-mingw/CMakeCache.txt ] || cmake --preset windows-mingw "${launcher[@]}" >/dev/null
    cmake --build build-mingw
    scripts/package-windows.sh build-mingw >/dev/null
else
    echo "note: no Windows SDK in $VT_WIN_SDK: scripts/windows-sdk.sh builds it (about 20 minutes on two cores), then ./test.sh cross-builds and tests the Windows program"
fi
[ "$(id -u)" -eq 0 ] || echo "note: not root: namespace, raw-socket and port-514 tests will be skipped"
ctest --test-dir build-test --output-on-failure -j2
if [ "${VT_SANITIZE:-}" = 1 ]; then
    echo "== Unprivileged tests under AddressSanitizer + UndefinedBehaviorSanitizer (build-asan)"
    cmake --preset sanitize "${launcher[@]}" >/dev/null
    cmake --build --preset sanitize
    VT_UNPRIVILEGED=1 ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
        UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        LSAN_OPTIONS=suppressions="$PWD/tests/lsan.supp" \
        ctest --test-dir build-asan --output-on-failure -j2 -E '^windows_'
fi
