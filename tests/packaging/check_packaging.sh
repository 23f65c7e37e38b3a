#!/usr/bin/env bash
# Installs the build into a temporary DESTDIR and validates what a desktop needs of it (the
# entry names the window class the program gives itself, its application name) and the MIT
# licence in Debian's copyright format, then builds the Debian package with CPack and checks that
# it carries the licence and depends on what no linker sees: Qt's platform and icon plugins and
# the fonts the fixed layout is measured in. The command line's manual page and bash completion
# are installed where man and bash look for them, the manual names what --help names, and the
# completion (of a sub-command, a family, a code language) works without the bash-completion
# package. The software centre's release notes follow CHANGELOG.md (the source tree's, beside
# this script's folder, unless given).
# Usage: check_packaging.sh BUILD_DIR APP_ID VERSION APPLICATION_NAME [CHANGELOG]
set -euo pipefail
build="$1" app_id="$2" version="$3" name="$4" notes="${5:-$(dirname "$0")/../../CHANGELOG.md}"
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
DESTDIR="$out/root" cmake --install "$build" --prefix /usr >/dev/null
share="$out/root/usr/share" tickora="$out/root/usr/bin/tickora"
[[ -x "$tickora" && -s "$share/icons/hicolor/scalable/apps/$app_id.svg" ]]
desktop-file-validate "$share/applications/$app_id.desktop"
grep -qx "Icon=$app_id" "$share/applications/$app_id.desktop"
grep -qx "StartupWMClass=$name" "$share/applications/$app_id.desktop"
appstreamcli validate --no-net --pedantic "$share/metainfo/$app_id.metainfo.xml"
grep -q "<project_license>MIT</project_license>" "$share/metainfo/$app_id.metainfo.xml"
# Its releases are CHANGELOG.md's "## VERSION (DATE)" headings, in order.
diff <(grep '^## ' "$notes") \
  <(sed -nE 's/.*version="(.*)" date="(.*)">/## \1 (\2)/p' "$share/metainfo/$app_id.metainfo.xml")
grep -qzP "^Format: \S*copyright-format/1.0/\n(.*\n)*License: MIT\n" "$share/doc/tickora/copyright"
# One version everywhere: the manual's footer and CHANGELOG.md's newest heading are the one
# --version prints.
grep -q "^\.TH TICKORA 1 .* \"Tickora $version\" " "$share/man/man1/tickora.1"
[[ $("$tickora" --version) == "$name $version" && $(grep -m1 ^## "$notes") == "## $version ("* ]]

# Every call --help shows and every option with its placeholder begins a line of the manual.
items=$("$tickora" --help | sed -nE 's/^    (tickora .*)/@\1/p; s/^  (--[a-z]+( [^ ]+)?)  .*/@\1/p')
found=$(groff -man -k -Tutf8 -rLL=300n -P-cbou "$share/man/man1/tickora.1" |
  sed -n 's/^       /@/p' | grep -oFf <(echo "$items"))
diff <(sort -u <<<"$items") <(sort -u <<<"$found")

# Completion in a shell without the bash-completion package: bash's own variables, no errors.
diff <(printf '%s\n' "timer code baud plan delay wave --help --version" "stc89 stc12 stc15 stc8 stc8g stc8h stc32g" \
  "c a51 asx" "t2 t3") \
  <(bash --norc --noprofile -c 'source "$1" && complete -p tickora >/dev/null
    COMP_WORDS=("$2" ""); COMP_CWORD=1; _tickora; echo "${COMPREPLY[*]}"
    COMP_WORDS=("$2" timer --family s); COMP_CWORD=3; _tickora; echo "${COMPREPLY[*]}"
    COMP_WORDS=("$2" plan --lang ""); COMP_CWORD=3; _tickora; echo "${COMPREPLY[*]}"
    COMP_WORDS=("$2" baud --family stc8 --uart 3 --generator ""); COMP_CWORD=7; _tickora
    echo "${COMPREPLY[*]}"' \
    _ "$share/bash-completion/completions/tickora" "$tickora" 2>&1)

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$out" >/dev/null
deb="$out/tickora_${version}_$(dpkg --print-architecture).deb"
grep -q " ./usr/share/doc/tickora/copyright$" <<<"$(dpkg-deb -c "$deb")"
depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 qt6-qpa-plugins libqt6svg6 fonts-arphic-uming fonts-dejavu-core; do
  grep -Eq "(^|, )$dep( |,|\$)" <<<"$depends" || { echo "Depends lacks $dep: $depends"; exit 1; }
done
