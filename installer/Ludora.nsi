; Ludora's Windows installer. Built by `make installer`, which passes:
;   VERSION (1.0.0.0), PROGRAM (the built Ludora.exe), ICON (its .ico), OUTFILE (LudoraSetup.exe),
;   SIGN (tools/sign-dev.sh, which signs the file it is given).
; The player's files live in the data folder (C:\ProgramData\Ludora): the installer makes it and
; its "Patchs" writable by administrators only, and neither it nor the uninstaller touches the
; player's files in it: installing over an older version and uninstalling keep them.
Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Ludora"
!define RUN_KEY "SoftWare\Microsoft\Windows\CurrentVersion\Run"
!define PUBLISHER "Ludora"
; "ludora:" links ("ludora://start/<game>") start a game through the program, for the player who
; installs it.
!define LINK_KEY "Software\Classes\ludora"

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
; System tools are named by their full path: a bare name is looked for in the installer's own
; folder first, where anyone may have put a program of that name.
!macro EndRunningLudora
  nsExec::Exec '"$SYSDIR\taskkill.exe" /f /im Ludora.exe'
  Pop $0
  ; Ended: give the system a moment to release its files.
  ${If} $0 == 0
    Sleep 500
  ${EndIf}
!macroend

; Administrators and the system may change it, users read and run what is in it, and so for
; everything in it; nothing is inherited from the folder above. Ludora runs with administrator
; rights: whoever could write its program or data folders could run anything with them.
!define LOCKED_FOLDER_SDDL "O:BAG:SYD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"

; What a file in such a folder has: the folder's rights, inherited, and owner Administrators.
!define INHERITING_FILE_SDDL "O:BAG:SYD:AI(A;ID;FA;;;SY)(A;ID;FA;;;BA)(A;ID;0x1200a9;;;BU)"

; The files in folder $0, which someone else may have put there while it was open to them, get
; the rights they would inherit; each is opened as itself, never through a link.
Function ResetFolderFiles
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${INHERITING_FILE_SDDL}", i 1, *p .r1, p 0) i .r2'
  ${If} $2 != 0
    FindFirst $3 $4 "$0\*"
    ${DoWhile} $4 != ""
      ; Folders (".", "..", "Patchs") are not files.
      ${IfNot} ${FileExists} "$0\$4\*.*"
        System::Call 'kernel32::CreateFileW(w "$0\$4", i 0xC0000, i 7, p 0, i 3, i 0x02200000, p 0) p .r5'
        ${If} $5 != -1
          System::Call 'advapi32::SetKernelObjectSecurity(p r5, i 7, p r1)'
          System::Call 'kernel32::CloseHandle(p r5)'
        ${EndIf}
      ${EndIf}
      FindNext $3 $4
    ${Loop}
    FindClose $3
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Makes folder $0 with those rights, or gives them to the folder already there. A link in its place
; (a junction someone made) is removed, never followed: its target keeps its own rights.
Function LockFolder
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  System::Call 'kernel32::GetFileAttributesW(w r0) i .r2'
  IntOp $3 $2 & 0x400
  ${If} $2 != -1
  ${AndIf} $3 != 0
    System::Call 'kernel32::RemoveDirectoryW(w r0)'
  ${EndIf}
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${LOCKED_FOLDER_SDDL}", i 1, *p .r1, p 0) i .r2'
  ${If} $2 != 0
    ; SECURITY_ATTRIBUTES: its size, the descriptor, not inheritable.
    System::Call '*(i 12, p r1, i 0) p .r3'
    System::Call 'kernel32::CreateDirectoryW(w r0, p r3) i .r2'
    System::Free $3
    ${If} $2 == 0
      ; There already: opened as itself (FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS)
      ; with FILE_READ_ATTRIBUTES | WRITE_DAC | WRITE_OWNER, and given owner, group and DACL only
      ; when it is a folder and not a link.
      System::Call 'kernel32::CreateFileW(w r0, i 0xC0080, i 7, p 0, i 3, i 0x02200000, p 0) p .r3'
      ${If} $3 != -1
        System::Alloc 52
        Pop $4
        System::Call 'kernel32::GetFileInformationByHandle(p r3, p r4) i .r2'
        System::Call '*$4(i .r5)'
        System::Free $4
        IntOp $5 $5 & 0x410
        ${If} $2 != 0
        ${AndIf} $5 == 16
          System::Call 'advapi32::SetKernelObjectSecurity(p r3, i 7, p r1)'
          Call ResetFolderFiles
        ${EndIf}
        System::Call 'kernel32::CloseHandle(p r3)'
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; The data folder and its "Patchs", from which updates are installed.
Function LockDataFolder
  SetShellVarContext all
  StrCpy $0 "$APPDATA\Ludora"
  Call LockFolder
  StrCpy $0 "$APPDATA\Ludora\Patchs"
  Call LockFolder
FunctionEnd

; Program Files is locked already; a folder the player chose elsewhere (D:\Games\Ludora) is locked
; like the data folder, and the program files in it are written anew so that they inherit.
Function LockChosenInstallFolder
  StrLen $1 "$PROGRAMFILES32\"
  StrCpy $2 "$INSTDIR\" $1
  StrLen $1 "$PROGRAMFILES64\"
  StrCpy $3 "$INSTDIR\" $1
  ${If} $2 != "$PROGRAMFILES32\"
  ${AndIf} $3 != "$PROGRAMFILES64\"
    ; The folders above it are made first, so that this one is made locked, not by SetOutPath.
    ${GetParent} "$INSTDIR" $1
    CreateDirectory "$1"
    StrCpy $0 "$INSTDIR"
    Call LockFolder
    Delete "$INSTDIR\Ludora.exe"
    Delete "$INSTDIR\uninstall.exe"
  ${EndIf}
FunctionEnd

Section "Ludora"
  !insertmacro EndRunningLudora
  Call LockChosenInstallFolder
  SetOutPath "$INSTDIR"
  File "/oname=Ludora.exe" "${PROGRAM}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  Call LockDataFolder

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\Ludora"
  CreateShortcut "$SMPROGRAMS\Ludora\Ludora.lnk" "$INSTDIR\Ludora.exe"
  CreateShortcut "$SMPROGRAMS\Ludora\卸载 Ludora.lnk" "$INSTDIR\uninstall.exe"

  WriteRegStr HKCU "${LINK_KEY}" "" "URL:Ludora"
  WriteRegStr HKCU "${LINK_KEY}" "URL Protocol" ""
  WriteRegStr HKCU "${LINK_KEY}\DefaultIcon" "" "$INSTDIR\Ludora.exe,0"
  WriteRegStr HKCU "${LINK_KEY}\shell\open\command" "" '"$INSTDIR\Ludora.exe" "%1"'

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
      nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn "Ludora $5" /f'
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
  ; What updates leave behind: the program replaced last and unfinished copies of a new one.
  Delete "$INSTDIR\Ludora.exe.old"
  Delete "$INSTDIR\Ludora.exe.*.part"
  RMDir "$INSTDIR"

  SetShellVarContext all
  ; The downloaded package, the updater copy and unfinished downloads; the player's config.xml,
  ; UserGame.xml and PlayHistory.xml stay.
  Delete "$APPDATA\Ludora\Patchs\Ludora.pak"
  Delete "$APPDATA\Ludora\Patchs\Ludora.tmp"
  Delete "$APPDATA\Ludora\Patchs\*.part"
  RMDir "$APPDATA\Ludora\Patchs"
  Delete "$SMPROGRAMS\Ludora\Ludora.lnk"
  Delete "$SMPROGRAMS\Ludora\卸载 Ludora.lnk"
  RMDir "$SMPROGRAMS\Ludora"

  Call un.DeleteLogonTask
  DeleteRegKey HKCU "${LINK_KEY}"
  SetRegView 32
  DeleteRegValue HKLM "${RUN_KEY}" "Ludora"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
