#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and checks the installed tree and its desktop
# files. Usage: check_install.sh BUILD_DIR APP_ID
set -euo pipefail
build="$1" app_id="$2"
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

failed=0
for file in usr/bin/tickora "usr/share/applications/$app_id.desktop" \
            "usr/share/metainfo/$app_id.metainfo.xml" \
            "usr/share/icons/hicolor/scalable/apps/$app_id.svg"; do
  if [[ ! -s "$root/$file" ]]; then echo "missing: /$file"; failed=1; fi
done
[[ -x "$root/usr/bin/tickora" ]] || { echo "not executable: /usr/bin/tickora"; failed=1; }

desktop="$root/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" || failed=1
grep -qx "Icon=$app_id" "$desktop" || { echo "desktop entry names another icon"; failed=1; }
grep -qx "Categories=Development;Electronics;" "$desktop" || { echo "categories differ"; failed=1; }
grep -q '^Comment\[zh_CN\]=' "$desktop" || { echo "no Chinese comment"; failed=1; }
appstreamcli validate --no-net --pedantic "$root/usr/share/metainfo/$app_id.metainfo.xml" || failed=1

[[ $failed -eq 0 ]] && echo "installed tree is complete and valid"
exit $failed
