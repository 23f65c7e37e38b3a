#!/usr/bin/env bash
# Runs a cross-built Windows program under Wine, for CTest and the packaging checks: a Wine
# prefix of the build's own (never the user's ~/.wine), Qt's and MinGW's DLLs on the DLL path,
# Qt's plugins where the program finds them.
# Usage: wine-run.sh PROGRAM.exe [ARGUMENT...]; TICKORA_WINE_PREFIX, TICKORA_QT_PREFIX and
# TICKORA_WINE_DPI as set by CMake.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
export WINEPREFIX=${TICKORA_WINE_PREFIX:-$here/../build-windows/wine}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}" # no Mono or Gecko prompts
windows_path() { echo "Z:${1//\//\\}"; }
if [[ -n ${TICKORA_QT_PREFIX:-} ]]; then
  runtime=$(dirname "$(x86_64-w64-mingw32-g++-posix -print-file-name=libstdc++-6.dll)")
  export WINEPATH="$(windows_path "$TICKORA_QT_PREFIX/bin");$(windows_path "$runtime");$(windows_path /usr/x86_64-w64-mingw32/lib)"
  export QT_PLUGIN_PATH=$(windows_path "$TICKORA_QT_PREFIX/plugins")
fi
# Wine keeps the QT_ variables for itself: WINEQT_X reaches the program as QT_X.
while IFS='=' read -r variable _; do
  [[ $variable == QT_* ]] && export "WINE$variable=${!variable}"
done < <(env)
if [[ ! -f $WINEPREFIX/system.reg ]]; then
  mkdir -p "$WINEPREFIX"
  wineboot --init >/dev/null 2>&1 || true
  # Windows' SimSun, which the interface uses, is not free: a Ming face of the same kind stands in.
  wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v SimSun /d 'AR PL UMing CN' /f >/dev/null 2>&1
  # Windows' display scaling, as a dpi: 120 is 125 %, 144 is 150 %.
  if [[ -n ${TICKORA_WINE_DPI:-} ]]; then
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$TICKORA_WINE_DPI" /f >/dev/null 2>&1
  fi
  wineserver -w
fi
exec wine "$@"
