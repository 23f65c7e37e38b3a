#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and validates what a desktop needs of it, then
# builds the Debian package with CPack and checks that it depends on what no linker sees: Qt's
# platform and icon plugins and the fonts the fixed layout is measured in.
# Usage: check_packaging.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build="$1" app_id="$2" version="$3"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
DESTDIR="$out/root" cmake --install "$build" --prefix /usr >/dev/null
share="$out/root/usr/share"
[[ -x "$out/root/usr/bin/tickora" && -s "$share/icons/hicolor/scalable/apps/$app_id.svg" ]]
desktop-file-validate "$share/applications/$app_id.desktop"
grep -qx "Icon=$app_id" "$share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/$app_id.metainfo.xml"

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
depends=$(dpkg-deb -f "$out/tickora_${version}_$(dpkg --print-architecture).deb" Depends)
for dep in libqt6widgets6 qt6-qpa-plugins libqt6svg6 fonts-arphic-uming fonts-dejavu-core; do
  grep -Eq "(^|, )$dep( |,|\$)" <<<"$depends" || { echo "Depends lacks $dep: $depends"; exit 1; }
done
