; The per-user installer of velm.exe: no elevation, installs into the user's local application
; data, a Start menu shortcut and an entry in the list of installed programs.
; The build passes VERSION (from CMakeLists.txt), VELM_EXE, RESOURCES, TARGET (x86-unicode or
; amd64-unicode: the processor of the client it packs) and OUTFILE; a release adds SIGN_COMMAND.
!ifndef VERSION | VELM_EXE | RESOURCES | TARGET | OUTFILE
  !error "VERSION, VELM_EXE, RESOURCES, TARGET and OUTFILE come from the build"
!endif
Target "${TARGET}"
!include "MUI2.nsh"
!include "x64.nsh"
!include "LogicLib.nsh"

!define PRODUCT "OrvikVelmora客户端"
!define FOLDER "OrvikVelmora"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvikVelmora"
!define SHORTCUT "$SMPROGRAMS\${FOLDER}\${PRODUCT}.lnk"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\${FOLDER}"
SetCompressor /SOLID lzma
ShowInstDetails nevershow
ShowUninstDetails nevershow
; The packed files keep no time stamp of the build machine's: two builds of one commit are equal.
SetDateSave off
; A release signs the installer and the uninstaller it writes (SIGN_COMMAND from the build).
!ifdef SIGN_COMMAND
  !uninstfinalize '${SIGN_COMMAND} "%1"'
  !finalize '${SIGN_COMMAND} "%1"'
!endif

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "CompanyName" "OrvikVelmora"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT}安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "OrvikVelmora"

!define MUI_ICON "${RESOURCES}/velm.ico"
!define MUI_UNICON "${RESOURCES}/velm.ico"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN "$INSTDIR\velm.exe"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

!if "${TARGET}" == "amd64-unicode"
Function .onInit
  ${IfNot} ${RunningX64}
    MessageBox MB_ICONSTOP "此安装程序用于 64 位 Windows，请使用 32 位版本的安装程序。" /SD IDOK
    Abort
  ${EndIf}
FunctionEnd
!endif

Section "Install"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "/oname=velm.exe" "${VELM_EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${FOLDER}"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\velm.exe" "" "$INSTDIR\velm.exe" 0
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "OrvikVelmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velm.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\velm.exe"
  ; What an interrupted update may have left beside the client.
  Delete "$INSTDIR\velm.exe.new"
  Delete "$INSTDIR\velm.exe.new.part"
  Delete "$INSTDIR\velm.exe.old"
  Delete "$INSTDIR\uninstall.exe"
  ; The dumps the programs leave after a crash, wherever the client was installed.
  Delete "$LOCALAPPDATA\OrvikVelmora\crashes\*.dmp"
  RMDir "$LOCALAPPDATA\OrvikVelmora\crashes"
  Delete "$LOCALAPPDATA\OrvikVelmora\settings.ini"
  Delete "$LOCALAPPDATA\OrvikVelmora\settings.ini.tmp"
  ; The modern browser runtime's data: the players' profiles, their caches and cookies.
  RMDir /r "$LOCALAPPDATA\OrvikVelmora\WebView2"
  RMDir "$INSTDIR"
  RMDir "$LOCALAPPDATA\OrvikVelmora"
  Delete "${SHORTCUT}"
  RMDir "$SMPROGRAMS\${FOLDER}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; What the client wrote outside its folder: the browser's document mode for its name, and the
  ; files it keeps in the temporary folder (the manifest is hidden; Delete removes it anyway).
  DeleteRegValue HKCU "Software\Microsoft\Internet Explorer\Main\FeatureControl\FEATURE_BROWSER_EMULATION" "velm.exe"
  Delete "$TEMP\velm.ico"
  Delete "$TEMP\update.txt"
  Delete "$TEMP\update.txt.part"
  ; The folders the client made for its updater: only their two files, then the empty folder.
  FindFirst $0 $1 "$TEMP\velm-update-*"
  ${DoWhile} $1 != ""
    Delete "$TEMP\$1\Update.exe"
    Delete "$TEMP\$1\update.txt"
    RMDir "$TEMP\$1"
    FindNext $0 $1
  ${Loop}
  FindClose $0
SectionEnd
