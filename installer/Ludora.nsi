; Ludora's Windows installer. Built by `make installer`, which passes:
;   VERSION (1.0.0.0), PROGRAM (the built Ludora.exe), ICON (its .ico), OUTFILE (LudoraSetup.exe),
;   SIGN (tools/sign-dev.sh, which signs the file it is given).
; The player's files live in the data folder (C:\ProgramData\Ludora), which neither the installer
; nor the uninstaller touches: installing over an older version and uninstalling keep them.
Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ludora"
!define RUN_KEY "SoftWare\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Ludora"

Name "Ludora"
OutFile "${OUTFILE}"
; The uninstaller is signed before it is packed in, the installer once it is written; a failed
; signing fails the build.
!uninstfinalize '"${SIGN}" "%1"' = 0
!finalize '"${SIGN}" "%1"' = 0
InstallDir "$PROGRAMFILES\Ludora"
VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductName" "Ludora"
VIAddVersionKey /LANG=2052 "FileDescription" "Ludora 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "© ${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; A running Ludora holds its program file open: end it before the file is replaced or removed.
!macro EndRunningLudora
  nsExec::Exec 'taskkill /f /im Ludora.exe'
  Pop $0
  ; Ended: give the system a moment to release its files.
  ${If} $0 == 0
    Sleep 500
  ${EndIf}
!macroend

Section "Ludora"
  !insertmacro EndRunningLudora
  SetOutPath "$INSTDIR"
  File "/oname=Ludora.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Ludora"
  CreateShortcut "$SMPROGRAMS\Ludora\Ludora.lnk" "$INSTDIR\Ludora.exe"
  CreateShortcut "$SMPROGRAMS\Ludora\卸载 Ludora.lnk" "$INSTDIR\uninstall.exe"

  SetRegView 32
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Ludora"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Ludora.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The logon task that start-with-Windows registers for this user, named "Ludora <user's SID>".
Function un.DeleteLogonTask
  System::Call 'kernel32::GetCurrentProcess() p .r0'
  System::Call 'advapi32::OpenProcessToken(p r0, i 8, *p .r1) i .r0'
  ${If} $0 == 0
    Return
  ${EndIf}
  System::Alloc 256
  Pop $2
  ; TokenUser (1): a TOKEN_USER, whose first field points at the user's SID.
  System::Call 'advapi32::GetTokenInformation(p r1, i 1, p r2, i 256, *i .r3) i .r0'
  ${If} $0 != 0
    System::Call '*$2(p .r3)'
    System::Call 'advapi32::ConvertSidToStringSidW(p r3, *p .r4) i .r0'
    ${If} $0 != 0
      System::Call '*$4(&w256 .r5)'
      System::Call 'kernel32::LocalFree(p r4)'
      nsExec::Exec 'schtasks /delete /tn "Ludora $5" /f'
      Pop $0
    ${EndIf}
  ${EndIf}
  System::Free $2
  System::Call 'kernel32::CloseHandle(p r1)'
FunctionEnd

Section "Uninstall"
  !insertmacro EndRunningLudora
  Delete "$INSTDIR\Ludora.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\Ludora\Ludora.lnk"
  Delete "$SMPROGRAMS\Ludora\卸载 Ludora.lnk"
  RMDir "$SMPROGRAMS\Ludora"

  Call un.DeleteLogonTask
  SetRegView 32
  DeleteRegValue HKLM "${RUN_KEY}" "Ludora"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
