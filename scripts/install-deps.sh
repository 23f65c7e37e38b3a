#!/usr/bin/env bash
# Installs whatever system packages the build, the tests and the tools need and are missing.
# Usage: scripts/install-deps.sh [build|test|run|fuzz|package|screenshot|windows]...
set -euo pipefail

packaging_tools="desktop-file-utils appstream dpkg-dev file"
declare -A groups=(
  [build]="build-essential cmake make qt6-base-dev qt6-translations-l10n libqt6svg6 fonts-dejavu-core fonts-arphic-uming"
  [test]="$packaging_tools groff-base sdcc sdcc-ucsim as31"
  [run]=""
  [fuzz]="clang"
  [package]="$packaging_tools"
  [screenshot]=""
  [windows]="g++-mingw-w64-x86-64-posix ninja-build dpkg-dev wine wine64 nsis zip unzip fonts-noto-cjk xvfb xauth openbox xdotool xclip imagemagick fonts-wine icoutils"
)

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

# libFuzzer's runtime comes in a package named after the default clang's major version.
clang_runtime() {
  local major
  major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9]*\).*/\1/p' | head -n 1)
  echo "libclang-rt-${major:-14}-dev"
}

wanted="${groups[build]}"
for group in "$@"; do
  [[ -v "groups[$group]" ]] || { echo "install-deps: unknown group '$group'" >&2; exit 2; }
  wanted+=" ${groups[$group]}"
done

[[ " $* " == *" fuzz "* ]] && command -v clang >/dev/null 2>&1 && wanted+=" $(clang_runtime)"

missing=()
for pkg in $wanted; do
  installed "$pkg" || missing+=("$pkg")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "install-deps: this is not a Debian/Ubuntu system; please install: ${missing[*]}" >&2
  echo "(Qt 6 base development files, CMake >= 3.25, a C++20 compiler and a font with Chinese glyphs)" >&2
  exit 1
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null 2>&1 || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

# A fresh machine gets clang only now; its runtime follows.
if [[ " $* " == *" fuzz "* ]] && ! installed "$(clang_runtime)"; then
  $sudo apt-get install -y -qq --no-install-recommends "$(clang_runtime)"
fi
