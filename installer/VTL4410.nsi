; VTL4410.nsi - the Windows installer of the VTL4410 tools; scripts/release.sh compiles it with
;   VERSION      1.2.0.0
;   STAGE        folder holding tools\, helper\ and simulator\ as release.sh lays them out
;   OUTFILE      the installer to write
;   SIGN_SCRIPT  (optional) command that signs the uninstaller it is given
; Command line of the installer: /S silent, /SIMULATOR adds the simulator set, /D=folder.
; Of the uninstaller: /S silent, /REMOVESETTINGS also removes Torvane's settings key.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
ManifestDPIAware true
ManifestSupportedOS all
RequestExecutionLevel admin
SetDateSave on

!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include MUI2.nsh

!define PRODUCT "Veltrane VTL4410 Tools"
!define PUBLISHER "Veltrane"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Veltrane VTL4410 Tools"
!define SETTINGS_KEY "SOFTWARE\Veltrane\VTL4410\settings"
!define MENU "$SMPROGRAMS\Veltrane VTL4410"
!define SIMDIR "$INSTDIR\Simulator"
; The folder the installer makes above its default install folder.
!define DEFAULT_PARENT "$PROGRAMFILES64\Veltrane"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${DEFAULT_PARENT}\VTL4410 Tools"
; A reinstall or an upgrade goes where the earlier install went.
InstallDirRegKey HKLM "${UNINST_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!ifdef SIGN_SCRIPT
!uninstfinalize '"${SIGN_SCRIPT}" "%1"' = 0
!endif

!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show the README"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var RemoveSettings

; The console companions join both sets.
!macro CompanionFiles
  File "${STAGE}\tools\torvane-cli.exe"
  File "${STAGE}\tools\ostrel-cli.exe"
  File "${STAGE}\tools\vtl-station.exe"
!macroend

!macro DeleteToolFiles DIR
  Delete "${DIR}\Torvane.exe"
  Delete "${DIR}\Ostrel.exe"
  Delete "${DIR}\torvane-cli.exe"
  Delete "${DIR}\ostrel-cli.exe"
  Delete "${DIR}\vtl-station.exe"
!macroend

Section "Torvane and Ostrel" SecTools
  SectionIn RO
  ; The maker's library comes with the board's driver package: never beside the tools here.
  SetOutPath "$INSTDIR"
  File "${STAGE}\tools\Torvane.exe"
  File "${STAGE}\tools\Ostrel.exe"
  !insertmacro CompanionFiles
  File "/oname=README.txt" "README-installed.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\Torvane.lnk" "$INSTDIR\Torvane.exe"
  CreateShortcut "${MENU}\Ostrel.lnk" "$INSTDIR\Ostrel.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Torvane.exe,0"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMajor" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "VersionMinor" 2
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1

  ; Torvane keeps its settings under HKLM: the helper creates the key and lets standard users
  ; write it. It runs from the temporary plug-in folder and is not installed.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\VtlSettingsAccess.exe" "${STAGE}\helper\VtlSettingsAccess.exe"
  DetailPrint "Letting all users save Torvane's settings"
  ExecWait '"$PLUGINSDIR\VtlSettingsAccess.exe"' $0
  ${If} $0 != 0
    DetailPrint "Settings key: error $0"
    MessageBox MB_OK|MB_ICONEXCLAMATION "Torvane's settings key could not be opened to all users (error $0).$\r$\nTorvane will save its settings only when run as administrator." /SD IDOK
    SetErrorLevel 2
  ${EndIf}
SectionEnd

Section /o "Board simulator (try the tools without a board)" SecSim
  ; Its own folder with its own copies of the tools: they load the simulator, the tools above
  ; never see it.
  SetOutPath "${SIMDIR}\samples"
  File "${STAGE}\simulator\samples\sample.bit"
  File "${STAGE}\simulator\samples\sample.app"
  File "${STAGE}\simulator\samples\sample.iic"
  File "${STAGE}\simulator\samples\sample_c2.iic"
  SetOutPath "${SIMDIR}"
  File "${STAGE}\simulator\VtlDrvUsb.dll"
  File "${STAGE}\simulator\vtlsim.exe"
  File "${STAGE}\simulator\two-boards.ini"
  File "${STAGE}\simulator\README.txt"
  File "${STAGE}\simulator\Torvane.exe"
  File "${STAGE}\simulator\Ostrel.exe"
  !insertmacro CompanionFiles
  CreateDirectory "${MENU}"
  CreateShortcut "${MENU}\Torvane (simulated board).lnk" "${SIMDIR}\Torvane.exe"
  CreateShortcut "${MENU}\Ostrel (simulated board).lnk" "${SIMDIR}\Ostrel.exe"
SectionEnd

Function .onInit
  SetShellVarContext all
  SetRegView 64
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SIMULATOR" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecSim}
  ${EndIf}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  SetRegView 64
  StrCpy $RemoveSettings 0
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVESETTINGS" $R1
  ${IfNot} ${Errors}
    StrCpy $RemoveSettings 1
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ${If} $RemoveSettings == 0
    MessageBox MB_YESNO|MB_ICONQUESTION|MB_DEFBUTTON2 "Also remove Torvane's saved settings (file path, version and FPGA family)?" /SD IDNO IDNO keep
    StrCpy $RemoveSettings 1
    keep:
  ${EndIf}

  Delete "${MENU}\Torvane.lnk"
  Delete "${MENU}\Ostrel.lnk"
  Delete "${MENU}\Torvane (simulated board).lnk"
  Delete "${MENU}\Ostrel (simulated board).lnk"
  RMDir "${MENU}"

  Delete "${SIMDIR}\samples\sample.bit"
  Delete "${SIMDIR}\samples\sample.app"
  Delete "${SIMDIR}\samples\sample.iic"
  Delete "${SIMDIR}\samples\sample_c2.iic"
  RMDir "${SIMDIR}\samples"
  Delete "${SIMDIR}\VtlDrvUsb.dll"
  Delete "${SIMDIR}\vtlsim.exe"
  Delete "${SIMDIR}\two-boards.ini"
  Delete "${SIMDIR}\README.txt"
  !insertmacro DeleteToolFiles "${SIMDIR}"
  RMDir "${SIMDIR}"

  !insertmacro DeleteToolFiles "$INSTDIR"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  ; Only the folder the installer itself made above the tools: a parent the user chose stays.
  ${GetParent} "$INSTDIR" $R0
  ${If} $R0 == "${DEFAULT_PARENT}"
    RMDir "$R0"
  ${EndIf}

  DeleteRegKey HKLM "${UNINST_KEY}"
  ${If} $RemoveSettings == 1
    ; Torvane's values alone, never a tree: the key and its parents go only when empty.
    DeleteRegValue HKLM "${SETTINGS_KEY}" "AppFile"
    DeleteRegValue HKLM "${SETTINGS_KEY}" "VerMaj"
    DeleteRegValue HKLM "${SETTINGS_KEY}" "VerMin"
    DeleteRegValue HKLM "${SETTINGS_KEY}" "Spartan"
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "${SETTINGS_KEY}"
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "SOFTWARE\Veltrane\VTL4410"
    DeleteRegKey /ifnosubkeys /ifnovalues HKLM "SOFTWARE\Veltrane"
  ${EndIf}
SectionEnd
