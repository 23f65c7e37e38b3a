; The Windows installer: the folder the zip carries, into Program Files, with a Start-menu entry
; and an uninstaller that Windows' "Apps" list offers. Built by scripts/package-windows.sh:
; makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe tickora.nsi
Unicode true
Target amd64-unicode ; a 64-bit installer for 64-bit Windows only
!include "MUI2.nsh"
!include "x64.nsh"

Name "Tickora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tickora"
InstallDirRegKey HKLM "Software\Tickora" "InstallDir"
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tickora"

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
FunctionEnd

Section "Tickora"
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\Tickora.lnk" "$INSTDIR\tickora.exe"
  WriteRegStr HKLM "Software\Tickora" "InstallDir" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tickora ${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tickora.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function un.onInit
  SetRegView 64
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Tickora.lnk"
  RMDir /r "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "Software\Tickora"
SectionEnd
