; The Windows installer: the folder the zip carries, into Program Files for every user, with a
; Start-menu entry for every user too and an uninstaller that Windows' "Apps" list offers. Built
; by scripts/package-windows.sh:
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe -DPUBLISHER=name tickora.nsi
Unicode true
Target amd64-unicode ; a 64-bit installer for 64-bit Windows only
!include "MUI2.nsh"
!include "x64.nsh"
!include "FileFunc.nsh"

Name "Tickora ${VERSION}"
BrandingText "Tickora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tickora"
InstallDirRegKey HKLM "Software\Tickora" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tickora"
; makensis runs in this folder.
!define MUI_ICON "..\..\ui\icons\tickora.ico"
!define MUI_UNICON "..\..\ui\icons\tickora.ico"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "Tickora 需要 64 位 Windows 10 或 11。"
    Abort
  ${EndIf}
  SetRegView 64
  SetShellVarContext all ; the Start menu of every user, as Program Files is
FunctionEnd

Section "Tickora"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Tickora.lnk" "$INSTDIR\tickora.exe"
  WriteRegStr HKLM "Software\Tickora" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tickora ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tickora.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The size Settings → Apps shows, in KB: the folder as installed, uninstaller included.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Tickora.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Tickora"
  ; The settings are the user's: removed only when asked to, kept by a silent uninstall.
  MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 \
    "也删除 Tickora 的设置（所选的芯片和代码语言）吗？选“否”则保留，重新安装后照旧。" \
    /SD IDNO IDNO +2
  DeleteRegKey HKCU "Software\Tickora"
SectionEnd
