#!/usr/bin/env bash
# Builds Qt for 64-bit Windows once, from Debian's own source of the Qt the Linux build uses,
# and prints the folder it is installed in. Only qtbase's Core, Gui, Widgets and Test are built.
# The result is kept outside the clone, keyed by Qt's version and these options, so later runs
# cost nothing. Usage: scripts/build-qt-windows.sh [--print-prefix]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
jobs=$(nproc 2>/dev/null || echo 2)

qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev | sed 's/+.*//; s/-.*//')
# Windows' own pieces come bundled (zlib, pcre2, libpng, freetype, harfbuzz); the rest is left
# out. OpenGL stays on: 6.4's Windows platform plugin does not compile without it.
options=(
  -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_tabletevent=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_opengl=ON -DINPUT_opengl=desktop -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF
  -DFEATURE_sql_sqlite=OFF -DFEATURE_openssl=OFF -DFEATURE_zstd=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_png=OFF
  -DFEATURE_system_freetype=OFF -DFEATURE_system_harfbuzz=OFF
)
compiler=$(x86_64-w64-mingw32-g++-posix --version | head -n 1)
key=$(printf '%s\n' "$qt_version" "$compiler" "${options[@]}" | sha256sum | cut -c1-12)
cache=${TICKORA_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tickora}
prefix=$cache/qt-$qt_version-mingw-x86_64-$key

# Qt's Chinese texts are the same file on every system: Debian's, where Qt looks for them.
add_translations() {
  mkdir -p "$prefix/translations"
  cp /usr/share/qt6/translations/qtbase_zh_CN.qm "$prefix/translations/"
}

if [[ -f $prefix/.complete ]]; then
  add_translations
  [[ ${1:-} == --print-prefix ]] && echo "$prefix"
  exit 0
fi

# apt-get source needs a deb-src line for the archive the binaries came from.
ensure_sources() {
  apt-cache showsrc qt6-base >/dev/null 2>&1 && return 0
  local list=/etc/apt/sources.list.d/debian.sources sudo=""
  [[ $(id -u) -eq 0 ]] || sudo=sudo
  if [[ -f $list ]]; then
    sed 's/^Types: deb$/Types: deb-src/' "$list" | $sudo tee /etc/apt/sources.list.d/tickora-src.sources >/dev/null
  else
    grep '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' | $sudo tee /etc/apt/sources.list.d/tickora-src.list >/dev/null
  fi
  $sudo apt-get update -qq
}

work=$cache/qt-build-$key
mkdir -p "$work"
if [[ ! -d $work/qtbase ]]; then
  ensure_sources
  (cd "$work" && apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev)" >&2)
  (cd "$work" && dpkg-source --no-check -x qt6-base_*.dsc qtbase-src >&2 && mv qtbase-src qtbase)
fi

echo "build-qt-windows: building Qt $qt_version for Windows into $prefix (half an hour or more on 2 cores the first time)" >&2
cmake -G Ninja -S "$work/qtbase" -B "$work/build" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >&2
cmake --build "$work/build" -j "$jobs" >&2
cmake --install "$work/build" >&2
add_translations
touch "$prefix/.complete"
rm -rf "$work"
[[ ${1:-} == --print-prefix ]] && echo "$prefix"
exit 0
