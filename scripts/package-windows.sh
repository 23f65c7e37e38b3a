#!/usr/bin/env bash
# Cross-builds Tickora for 64-bit Windows (building Qt for it first, once) and packs
# build-windows/tickora-<version>-windows-x86_64.zip and tickora-<version>-setup.exe.
set -euo pipefail
cd "$(dirname "$0")/.."
jobs=$(nproc 2>/dev/null || echo 2)
qt_prefix=$(scripts/build-qt-windows.sh --print-prefix)
cmake --preset windows -DCMAKE_PREFIX_PATH="$qt_prefix" >/dev/null
cmake --build --preset windows -j "$jobs"

version=$(sed -n 's/^project(Tickora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=tickora-$version-windows-x86_64
stage=build-windows/stage/$name
rm -rf build-windows/stage && mkdir -p "$stage"
cmake --install build-windows --prefix "$stage" >/dev/null
# Debug data is most of what the runtime DLLs weigh (libstdc++-6.dll: 23.7 MB, 1.96 MB without):
# none of it ships, in the zip or the installer.
find "$stage" -type f \( -name '*.exe' -o -name '*.com' -o -name '*.dll' \) \
  -exec x86_64-w64-mingw32-strip --strip-unneeded {} +
(cd build-windows/stage && rm -f "../$name.zip" && zip -qr -X "../$name.zip" "$name")
# The publisher Windows' list of programs shows: the author the About window names.
publisher=$(sed -n 's/^TICKORA_AUTHOR_NAME:STRING=//p' build-windows/CMakeCache.txt)
makensis -V2 -DVERSION="$version" -DSTAGE="$PWD/$stage" -DPUBLISHER="$publisher" \
  -DOUTFILE="$PWD/build-windows/tickora-$version-setup.exe" packaging/windows/tickora.nsi
echo "build-windows/$name.zip"
echo "build-windows/tickora-$version-setup.exe"
