#!/usr/bin/env bash
# Portable Windows program: cross-builds velkor-tool.exe with MinGW-w64 against the Windows SDK
# (VT_WIN_SDK, or the default of scripts/win-sdk-path.sh) and packs it with every DLL it needs
# (Qt, platforms/qwindows.dll, the style plugin, the MinGW runtime) as
# Network-Tool-<version>-win64.zip, which runs from any folder without an installer.
#   scripts/package-windows.sh [build-dir]     (default build-mingw; the ZIP's path is the last line)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/win-sdk-path.sh
vt_win_sdk_ready || {
    echo "no Windows SDK at $VT_WIN_SDK: build it with scripts/windows-sdk.sh or set VT_WIN_SDK" >&2
    exit 1
}
build=$(realpath -m "${1:-build-mingw}")
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
[ -f "$build/CMakeCache.txt" ] ||
    cmake --preset windows-mingw -B "$build" -DVT_BUILD_TESTS=OFF "${launcher[@]}" >&2
cmake --build "$build" --target velkor-tool >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
name=Network-Tool-$version-win64
stage=$build/package/$name
rm -rf "$build/package" && mkdir -p "$stage/platforms" "$stage/styles"
cp "$build/app/velkor-tool.exe" "$stage/"
cp "$VT_WIN_SDK/plugins/platforms/qwindows.dll" "$stage/platforms/"
cp "$VT_WIN_SDK/plugins/styles/qwindowsvistastyle.dll" "$stage/styles/"

# Every DLL the program and its plugins import, found in the SDK or the MinGW runtime, and what
# those import in turn; the rest (kernel32, user32, ...) are Windows' own.
objdump=x86_64-w64-mingw32-objdump
gcc_dir=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-libgcc-file-name)")
search=("$VT_WIN_SDK/bin" "$gcc_dir" /usr/x86_64-w64-mingw32/lib)
queue=("$stage/velkor-tool.exe" "$stage/platforms/qwindows.dll" "$stage/styles/qwindowsvistastyle.dll")
while [ ${#queue[@]} -gt 0 ]; do
    file=${queue[0]}
    queue=("${queue[@]:1}")
    for dll in $("$objdump" -p "$file" | sed -n 's/^\s*DLL Name: //p'); do
        [ -e "$stage/$dll" ] && continue
        for dir in "${search[@]}"; do
            if [ -f "$dir/$dll" ]; then
                cp "$dir/$dll" "$stage/"
                queue+=("$stage/$dll")
                break
            fi
        done
    done
done

# Debug information stays out of the ZIP (the MinGW runtime ships with it).
chmod -R u+w "$stage"
find "$stage" -name '*.dll' -o -name '*.exe' | xargs x86_64-w64-mingw32-strip --strip-unneeded

zip=$build/$name.zip
rm -f "$zip"
(cd "$build/package" && cmake -E tar cf "$zip" --format=zip "$name")
echo "packed $(cd "$stage" && find . -type f | sort | tr '\n' ' ')" >&2
echo "$zip"
