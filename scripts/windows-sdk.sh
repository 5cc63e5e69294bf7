#!/usr/bin/env bash
# Builds the Windows SDK the cross build needs: Qt 6 base for x86_64-w64-mingw32 at exactly the
# version of Debian's qt6-base-dev (so Debian's moc, rcc and uic serve the cross build), from
# Debian's own source package, as shared libraries with the windows platform plugin and the
# windowsvista style. GoogleTest is built inside the cross build from Debian's googletest
# sources, and the dotted-quad pattern runs on Qt's QRegularExpression, so neither is built here.
#   scripts/windows-sdk.sh       installs into VT_WIN_SDK, by default
#                                ~/.cache/network-tool/win-sdk (scripts/win-sdk-path.sh)
# Skips everything when the SDK is there already. Takes about 20 minutes on two cores
# (1 249 build steps); needs the Debian archive (apt-get source) and about 3 GB of scratch space.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
. scripts/win-sdk-path.sh
if vt_win_sdk_ready; then
    echo "Windows SDK ready in $VT_WIN_SDK; nothing to build"
    exit 0
fi
version=$(dpkg-query -W -f='${Version}' qt6-base-dev) || {
    echo "qt6-base-dev is not installed: run scripts/install-deps.sh first" >&2
    exit 1
}
work=${VT_WIN_SDK_WORK:-$(mktemp -d /tmp/vt-win-sdk-XXXXXX)}
echo "Qt base $version for MinGW-w64 into $VT_WIN_SDK (scratch $work)"

# apt-get source with a private sources list: a deb-src line for each archive and suite the
# machine's own deb lines name (one-line or deb822 form); the machine's apt setup is untouched.
apt_dir=$work/apt
mkdir -p "$apt_dir/lists/partial"
{
    { cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null || true; } |
        awk '$1 == "deb" { $1 = "deb-src"; print }'
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] || continue
        awk 'BEGIN { RS = ""; FS = "\n" }
             {
                 types = uris = suites = comps = ""
                 for (i = 1; i <= NF; i++) {
                     if ($i ~ /^Types:/) types = substr($i, 7)
                     if ($i ~ /^URIs:/) uris = substr($i, 6)
                     if ($i ~ /^Suites:/) suites = substr($i, 8)
                     if ($i ~ /^Components:/) comps = substr($i, 12)
                 }
                 if (types ~ /deb/) {
                     n = split(uris, u, " "); m = split(suites, s, " ")
                     for (a = 1; a <= n; a++) for (b = 1; b <= m; b++)
                         print "deb-src " u[a] " " s[b] " " comps
                 }
             }' "$f"
    done
} >"$apt_dir/sources.list"
apt_opts=(-o "Dir::Etc::SourceList=$apt_dir/sources.list" -o "Dir::Etc::SourceParts=$apt_dir/none"
    -o "Dir::State::Lists=$apt_dir/lists")
apt-get "${apt_opts[@]}" update -qq
mkdir -p "$work/src"
(cd "$work/src" && apt-get "${apt_opts[@]}" source -qq "qt6-base=$version")
src=$(find "$work/src" -maxdepth 1 -type d -name 'qt6-base-*' | head -1)
[ -n "$src" ] || { echo "apt-get source gave no qt6-base folder" >&2; exit 1; }

# Why these options: Debian's +dfsg source leaves out src/3rdparty/wintab, so tablet events are
# off; with OpenGL off the 6.4.2 Windows platform plugin does not compile, so OpenGL stays on;
# the bundled zlib, PCRE2, HarfBuzz, FreeType and libpng serve Windows; Schannel replaces OpenSSL.
configure=(cmake -G Ninja -S "$src" -B "$work/build"
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$VT_WIN_SDK"
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DBUILD_SHARED_LIBS=ON
    -DFEATURE_sql=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF -DFEATURE_tabletevent=OFF
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
    -DFEATURE_openssl=OFF -DFEATURE_schannel=ON -DINPUT_openssl=no)
command -v ccache >/dev/null && configure+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
start=$SECONDS
"${configure[@]}"
cmake --build "$work/build" -j "${VT_JOBS:-2}"
cmake --install "$work/build"
# The toolchain Qt was built with, at the SDK's root: Qt's qt.toolchain.cmake chain-loads it.
cp "$root/cmake/mingw-w64-x86_64.cmake" "$VT_WIN_SDK/"
{
    echo "Qt $version (qtbase) for x86_64-w64-mingw32, shared libraries, Release, by scripts/windows-sdk.sh"
    echo "Configure: ${configure[*]}"
    echo "Built in $((SECONDS - start)) s"
} >"$VT_WIN_SDK/BUILD-INFO.txt"
[ -n "${VT_WIN_SDK_WORK:-}" ] || rm -rf "$work"
echo "Windows SDK ready in $VT_WIN_SDK ($((SECONDS - start)) s)"
