#!/usr/bin/env bash
# The Windows program as its users get it, under Wine in a prefix of its own: the zip unpacked,
# stripped and small, and its tickora.com on a code page 936 console against the Linux build byte
# for byte (in GBK and with CRLF line ends, which it must write), Chinese on that console and
# through a pipe, the installer installing and uninstalling, and a real start of the window.
# Usage: check_windows.sh (after scripts/package-windows.sh and a Linux build in build/).
set -euo pipefail
cd "$(dirname "$0")/../.."
export LC_ALL=C.UTF-8
root=$PWD
version=$(sed -n 's/^project(Tickora VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
name=tickora-$version-windows-x86_64
linux=$root/build/app/tickora
export TICKORA_WINE_PREFIX=$root/build-windows/wine-check
unset TICKORA_QT_PREFIX # only what the package carries
rm -rf "$TICKORA_WINE_PREFIX"
work=$(mktemp -d)
trap 'scripts/wine-run.sh wineboot --end-session >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
drive_c=$TICKORA_WINE_PREFIX/drive_c
fail() { echo "check_windows: $*" >&2; exit 1; }
windows_path() { echo "Z:${1//\//\\}"; }

# The zip, unpacked where a user would.
scripts/wine-run.sh cmd /c ver >/dev/null
unzip -q "build-windows/$name.zip" -d "$drive_c"
app="C:\\$name"

# What ships carries no debug data: no PE file (all ten are) keeps a .debug section.
sections=$(find "$drive_c/$name" -type f -exec x86_64-w64-mingw32-objdump -h {} + 2>/dev/null || true)
pe=$(grep -c 'file format pei-x86-64' <<<"$sections") size=$(du -s --apparent-size --block-size=MB "$drive_c/$name" | cut -f1 | tr -d MB)
((pe == 10 && size <= 30)) && ! grep -q ' \.debug' <<<"$sections" || fail "$pe PE files, $size MB unpacked (30 at most): $sections"
echo "check_windows: $pe PE files without debug data, $size MB unpacked"

# The command line: every family, clock and mode through each sub-command, then random cases.
lines=()
for chip in classic:12T stc89:12T stc89:6T stc12:12T stc12:1T stc15:12T stc15:1T n76e003:12T n76e003:1T; do
  chip="--family ${chip%:*} --clock ${chip#*:} --crystal 11.0592"
  for mode in 0 1 2; do lines+=("timer $chip --interval 1000 --mode $mode" "code --timer $((mode % 2)) $chip --interval 500 --mode $mode"); done
  lines+=("baud $chip" "baud $chip --rate 9600 --code" "plan $chip --interval 1s --code" "timer --json $chip --interval 250 --mode 1")
done
lines+=("--help" "--version" "timer --help" "--help --utf8" "timers" "timer --crystal abc --interval 1 --mode 1"
  "timer --crystal abc --interval 1 --mode 1 --utf8" "baud --crystal 22.1184 --json --utf8" "timer --crystal 12 --interval 1000 --mode 1"
  "code --timer 0 --crystal 12 --interval 5 --mode 1" "code --timer 1 --crystal 12 --interval 900 --mode 0 --lang a51"
  "plan --crystal 12 --interval 9999999999s --code" "plan --crystal 12 --interval 2s --code --lang a51" "baud --crystal 11.0592 --rate 38400 --code --lang asx"
  "timer --crystal 11.0592 --interval 1000 --mode 1 --explain" "plan --crystal 12 --interval 1s" "wave --family stc8 --clock 1T --crystal 24 --frequency 38kHz" "delay --delay 10ms --crystal 12 --family stc15 --clock 1T --timer 0" "delay --delay 921.6us --crystal 11.0592 --explain")
RANDOM=24
for _ in $(seq 60); do lines+=("timer --crystal $((RANDOM % 40 + 1)).$((RANDOM % 10000)) --interval $((RANDOM * 3 % 70000)).$((RANDOM % 10)) --mode $((RANDOM % 3))"); done

# Each line's output, error and status on Windows, and on Linux (.l…) beside them.
out=$work/out && mkdir -p "$out"
batch=$work/run.bat
for i in "${!lines[@]}"; do
  printf '"%s\\tickora.com" %s > "%s" 2> "%s"\r\necho %%ERRORLEVEL%% > "%s"\r\n' "$app" "${lines[$i]}" \
    "$(windows_path "$out/$i.out")" "$(windows_path "$out/$i.err")" "$(windows_path "$out/$i.st")"
  (cd "$work" && set +e && $linux ${lines[$i]} >"$out/$i.lout" 2>"$out/$i.lerr"; echo "$? " >"$out/$i.lst")
done >"$batch"
# Run on a console at code page 936, as on Chinese Windows.
script -qc "scripts/wine-run.sh cmd /c 'chcp 936 >nul & $(windows_path "$batch")'" /dev/null </dev/null >/dev/null || true
# Wine's cmd now and then fails to start a program ("... as an internal or external command"): once more.
for i in "${!lines[@]}"; do if grep -qs 'external command' "$out/$i.err"; then sed -n "$((2 * i + 1)),$((2 * i + 2))p" "$batch" >"$work/again.bat"
  script -qc "scripts/wine-run.sh cmd /c 'chcp 936 >nul & $(windows_path "$work/again.bat")'" /dev/null </dev/null >/dev/null || true; fi; done
# Linux's bytes as Windows writes them there, with CRLF line ends: in GBK (µ and − as u and -,
# which GBK lacks), or UTF-8 when asked;
# code, being ASCII, in the very same bytes.
windows_bytes() { if [[ $1 == *--utf8* || $1 == "out code"* || $1 == out*--code* ]]; then cat "$2"; else sed 's/µ/u/g; s/−/-/g' "$2" | iconv -f UTF-8 -t GBK; fi | sed 's/$/\r/'; }
for i in "${!lines[@]}"; do for stream in out err st; do
  cmp -s "$out/$i.$stream" <(windows_bytes "$stream ${lines[$i]}" "$out/$i.l$stream") ||
    fail "$stream differs from Linux's: ${lines[$i]}: $(iconv -f GBK "$out/$i.$stream" 2>&1 | head -5)"
done; done
echo "check_windows: ${#lines[@]} command lines give Linux's bytes, in GBK unless --utf8, with CRLF"

# On a console set to code page 936 (GBK) the Chinese reads as on Linux: a message written to
# the console itself (in UTF-16, whatever the code page), and the help piped through more.
bad="timer --crystal abc --interval 1 --mode 1" exe="timer --crystal 12 --interval 1000 --mode 1"
# Wine's console shows and hides its cursor between the chunks it writes: those codes go.
console=$(script -qc "scripts/wine-run.sh cmd /c 'chcp 936 >nul & $app\\tickora.com $bad & $app\\tickora.com --help | more'" /dev/null </dev/null | tr -d '\r' | sed 's/\x1b\[?25[hl]//g')
[[ $console == *"$($linux $bad 2>&1)"* && $console == *"$($linux --help | grep -e '^  --timer ')"* ]] ||
  fail "on a 936 console Chinese reads: $console"
echo "check_windows: Chinese reads right on a code page 936 console and through a pipe"

# tickora.exe itself, the window program, given a sub-command answers on the console it was
# started from, and redirected writes for that console as tickora.com does (cmd does not wait
# for a window program: the ping gives it two seconds).
console=$(script -qc "scripts/wine-run.sh cmd /c 'chcp 936 >nul & $app\\tickora.exe $exe & $app\\tickora.exe $bad 2>$(windows_path "$work/exe.err") & ping -n 3 127.0.0.1 >nul'" /dev/null </dev/null | tr -d '\r')
[[ $console == *"$($linux $exe)"* ]] && cmp -s "$work/exe.err" <(windows_bytes "" <($linux $bad 2>&1)) ||
  fail "tickora.exe does not answer on its console, or its redirected message is not in GBK: $console"
echo "check_windows: tickora.exe answers a sub-command on its parent's console, or for it"

# The installer, silently: the zip's folder into Program Files and its Start-menu entry for all
# users alike; in Windows' list of programs its publisher (the About window's author) and its
# size in KB; Tickora's icon on it and on the uninstaller.
setup="build-windows/tickora-$version-setup.exe" && scripts/wine-run.sh "$setup" /S
installed="$drive_c/Program Files/Tickora" menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tickora.lnk"
diff -rq -x uninstall.exe "$drive_c/$name" "$installed" >&2 || fail "Program Files holds not the zip's folder"
[[ -f $menu ]] && ! find "$drive_c/users" -name Tickora.lnk | grep -q . || fail "no Start-menu entry for all users"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tickora' entry=$(scripts/wine-run.sh reg query "$uninstall_key" | tr -d '\r')
author=$(sed -n 's/^TICKORA_AUTHOR_NAME:STRING=//p' build-windows/CMakeCache.txt) kb=$(find "$installed" -type f -printf '%s\n' | awk '{ bytes += $1 } END { printf "0x%x", bytes / 1024 }')
grep -q "Publisher    REG_SZ    $author\$" <<<"$entry" && grep -q "EstimatedSize    REG_DWORD    $kb\$" <<<"$entry" ||
  fail "the uninstall entry lacks publisher $author or size $kb KB: $entry"
pictures() { rm -rf "$work/p" && mkdir "$work/p" && icotool -x -o "$work/p" "$1" && md5sum "$work/p"/* | cut -c1-32 | sort; }
for program in "$setup" "$installed/uninstall.exe"; do
  wrestool -x -t 14 "$program" >"$work/icon.ico" && [[ $(pictures "$work/icon.ico") == "$(pictures ui/icons/tickora.ico)" ]] || fail "not Tickora's icon: $program"
done
echo "check_windows: the installer installs the zip's folder for all users, named, sized and with its icon"

# A real start of the installed program on Xvfb with a window manager: the main window with its
# Chinese caption; mode 1 at the defaults shows FF9C (read from the box through the clipboard);
# a chip chosen from the menu is kept in the registry, where Qt keeps settings on Windows.
WINEPREFIX=$TICKORA_WINE_PREFIX wineserver -w # the installer's processes gone
cat >"$work/start.sh" <<SCRIPT
openbox >/dev/null 2>&1 &
cd "$installed" && "$root/scripts/wine-run.sh" tickora.exe >/dev/null 2>&1 &
for _ in \$(seq 90); do window=\$(xdotool search --name 'Tickora' | head -n 1); [[ -n \$window ]] && break; sleep 1; done
xdotool windowactivate --sync "\$window" && sleep 2
xdotool key alt+1 && sleep 1 && xdotool key Tab Tab Tab Tab Tab ctrl+c && sleep 3
xclip -o -selection clipboard >"$work/initial.txt"
xdotool getwindowname "\$window" >"$work/caption.txt"
import -window root "$root/build-windows/screenshot-windows.png"
xdotool key alt+k Down Return && sleep 2
"$root/scripts/wine-run.sh" reg query 'HKCU\\Software\\Tickora\\Tickora\\chip' >"$work/registry.txt" 2>&1
"$root/scripts/wine-run.sh" wineboot --end-session >/dev/null 2>&1 || true
SCRIPT
timeout 180 xvfb-run -a -s "-screen 0 1024x700x24" bash "$work/start.sh" >/dev/null 2>&1 || true
grep -q '工具(Tickora)' "$work/caption.txt" || fail "no main window with its Chinese caption: $(cat "$work/caption.txt" 2>/dev/null)"
[[ $(cat "$work/initial.txt") == FF9C ]] || fail "mode 1 at the defaults shows '$(cat "$work/initial.txt")', not FF9C"
grep -q 'family.*REG_SZ.*[a-z]' "$work/registry.txt" || fail "no chip choice in the registry: $(cat "$work/registry.txt")"
echo "check_windows: the window starts, shows FF9C for mode 1, keeps the chip in the registry"

# A silent uninstall (waited for to the end of the copy of itself it runs) removes the program,
# its Start-menu entry and its entry in the list of programs, and keeps the settings.
scripts/wine-run.sh 'C:\Program Files\Tickora\uninstall.exe' /S && WINEPREFIX=$TICKORA_WINE_PREFIX wineserver -w
[[ ! -e $installed/tickora.exe && ! -e $menu ]] && ! scripts/wine-run.sh reg query "$uninstall_key" >/dev/null 2>&1 ||
  fail "the uninstaller left the program, its Start-menu entry or its entry in the list of programs"
scripts/wine-run.sh reg query 'HKCU\Software\Tickora\Tickora\chip' | grep -q family || fail "a silent uninstall removed the settings"
echo "check_windows: a silent uninstall removes the program and keeps the settings"

# By hand, on Xvfb: the installer's window and the uninstaller's bear Tickora's name; asked
# whether to remove the settings too, the uninstaller does on 是 (Y).
cat >"$work/by-hand.sh" <<SCRIPT
openbox >/dev/null 2>&1 &
press() { # a key in the newest of Tickora's windows once there are \$2 (or one), its name kept
  until (( \$(xdotool search --name '^Tickora' | wc -l) >= \${2:-1} )); do sleep 1; done
  window=\$(xdotool search --name '^Tickora' | tail -n 1) && xdotool getwindowname \$window >>"$work/names.txt"
  xdotool windowactivate --sync \$window && sleep 2 && xdotool key "\$1"; }
"$root/scripts/wine-run.sh" "$root/$setup" >/dev/null 2>&1 & setup=\$!
press Return && until [[ -e "$installed/uninstall.exe" ]]; do sleep 1; done # 安装
sleep 5 && press Return && wait \$setup # 关闭
"$root/scripts/wine-run.sh" 'C:\\Program Files\\Tickora\\uninstall.exe' && press Return && press y 2 && sleep 5 && press Return # 卸载, 是, 关闭
"$root/scripts/wine-run.sh" wineboot --end-session >/dev/null 2>&1 || true
SCRIPT
# No process of this prefix may stay without the display: windows would open where it is not.
WINEPREFIX=$TICKORA_WINE_PREFIX wineserver -w && timeout 240 xvfb-run -a -s "-screen 0 1024x700x24" bash "$work/by-hand.sh" >/dev/null 2>&1 || true
grep -q "^Tickora $version 安装" "$work/names.txt" && grep -q "^Tickora $version 卸载" "$work/names.txt" || fail "windows named: $(cat "$work/names.txt")"
[[ ! -e $installed/tickora.exe ]] && ! scripts/wine-run.sh reg query 'HKCU\Software\Tickora' >/dev/null 2>&1 ||
  fail "the uninstaller run by hand left the program, or the settings though asked to remove them"
echo "check_windows: by hand, the installer and uninstaller are Tickora's, which removes the settings when asked"
