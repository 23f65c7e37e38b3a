#!/usr/bin/env bash
# Builds the Debian package with CPack and checks its file list and control fields.
# Usage: check_package.sh BUILD_DIR APP_ID VERSION
set -euo pipefail
build="$1" app_id="$2" version="$3"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb="$out/tickora_${version}_$(dpkg --print-architecture).deb"
[[ -f "$deb" ]] || { echo "no package at $deb"; ls "$out"; exit 1; }

failed=0
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/tickora "./usr/share/applications/$app_id.desktop" \
            "./usr/share/metainfo/$app_id.metainfo.xml" \
            "./usr/share/icons/hicolor/scalable/apps/$app_id.svg"; do
  grep -q " $file\$" <<<"$contents" || { echo "package lacks $file"; failed=1; }
done

field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Package) == tickora ]] || { echo "Package: $(field Package)"; failed=1; }
[[ $(field Version) == "$version" ]] || { echo "Version: $(field Version)"; failed=1; }
depends=$(field Depends)
# Computed from the linked libraries, and what no linker sees: the platform and icon plugins
# and the fonts the layout is measured in.
for dep in libqt6widgets6 libqt6gui6 libqt6core6 libc6 qt6-qpa-plugins libqt6svg6 \
           fonts-arphic-uming fonts-dejavu-core; do
  grep -Eq "(^|, )$dep( |,|\$)" <<<"$depends" || { echo "Depends lacks $dep: $depends"; failed=1; }
done
grep -q qt6-translations-l10n <<<"$(field Recommends)" || { echo "no translation recommended"; failed=1; }

[[ $failed -eq 0 ]] && echo "package $(basename "$deb") is complete"
exit $failed
