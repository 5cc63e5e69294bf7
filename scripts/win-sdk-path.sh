# Sourced by the Windows scripts: where the Windows SDK (Qt 6 base for MinGW-w64, built by
# scripts/windows-sdk.sh) lives. VT_WIN_SDK wins; the default is a cache folder outside the clone.
: "${VT_WIN_SDK:=${XDG_CACHE_HOME:-$HOME/.cache}/network-tool/win-sdk}"
VT_WIN_SDK=$(realpath -m "$VT_WIN_SDK")
export VT_WIN_SDK
# The SDK is usable when Qt's CMake package for the cross build is there.
vt_win_sdk_ready() { [ -f "$VT_WIN_SDK/lib/cmake/Qt6/qt.toolchain.cmake" ]; }
