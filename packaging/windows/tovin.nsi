; The Windows installer: Tovin.dll (and its file dialog Morvashel.dll) into a VST plug-in folder of
; the user's choice, on request Tovin.dpm into the Pro Tools plug-in folder, the factory presets,
; InitSettings and options into the installation directory, and its registry value
; HKLM\Software\Corvane\Tovin "InstallDirectory" (64-bit view), where Tovin.dll and Tovin.dpm look.
; Re-installing keeps the user's presets, InitSettings and options; the uninstaller removes what was
; installed and keeps the user's own presets and settings unless asked (/PURGE, or Yes to its question).
;
; makensis -DVERSION=1.0 -DBUILD=build/windows -DFACTORY=presets/factory -DCOMMON=packaging/common
;          -DFACTORY_LIST=<File lines> -DFACTORY_UNINSTALL_LIST=<Delete lines> -DOUTFILE=setup.exe tovin.nsi
; (packaging/CMakeLists.txt writes the two lists of factory preset files: target tovin_installer)
;
; Silent: setup.exe /S [/PROTOOLS] [/PTDIR=folder] [/DATADIR=folder] [/D=VST folder, last]
; Uninstall: Uninstall.exe /S [/PURGE] in the installation directory.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
ManifestSupportedOS all

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "x64.nsh"

!define KEY "Software\Corvane\Tovin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tovin"

Name "Tovin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VSTPlugins"
BrandingText "Corvane Tovin ${VERSION}"

Var DataDir
Var ProToolsDir

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!define MUI_DIRECTORYPAGE_TEXT_TOP "Tovin.dll goes into the folder where your host looks for VST plug-ins."
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipProToolsPage
!define MUI_DIRECTORYPAGE_VARIABLE $ProToolsDir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Tovin.dpm goes into the Pro Tools plug-in folder."
!insertmacro MUI_PAGE_DIRECTORY
!define MUI_DIRECTORYPAGE_VARIABLE $DataDir
!define MUI_DIRECTORYPAGE_TEXT_TOP "Presets and options are kept in the installation directory."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Tovin VST plug-in" SecPlugin
  SectionIn RO
  ; Moved to another folder: the host must not find the old copy as well.
  ReadRegStr $0 HKLM "${KEY}" "VstDirectory"
  ${If} $0 != ""
  ${AndIf} $0 != $INSTDIR
    Delete "$0\Tovin.dll"
    Delete "$0\Morvashel.dll"
    RMDir "$0"
  ${EndIf}
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${BUILD}/Tovin.dll"
  File "${BUILD}/Morvashel.dll"
SectionEnd

Section "Factory presets and settings" SecPresets
  SectionIn RO
  CreateDirectory "$DataDir"
  SetOutPath "$DataDir"
  ; Factory presets are the shipped ones: a new version replaces them. Numbers from 501 up are the
  ; user's own and are never touched.
  SetOverwrite on
  !include "${FACTORY_LIST}"
  ; The user's initial settings and options stay as they are once present.
  SetOverwrite off
  File "${FACTORY}/InitSettings"
  File "${COMMON}/options"
  SetOverwrite on
  ; The effect of every user writes user presets and options here.
  nsExec::Exec 'icacls "$DataDir" /grant *S-1-5-32-545:(OI)(CI)M /T /Q'
  Pop $0
SectionEnd

Section /o "Pro Tools adapter (Tovin.dpm)" SecProTools
  CreateDirectory "$ProToolsDir"
  SetOutPath "$ProToolsDir"
  File "${BUILD}/Tovin.dpm"
  ; The adapter loads Tovin.dll from the installation directory; its editor finds the file dialog
  ; beside it.
  SetOutPath "$DataDir"
  File "${BUILD}/Tovin.dll"
  File "${BUILD}/Morvashel.dll"
  WriteRegStr HKLM "${KEY}" "ProToolsDirectory" "$ProToolsDir"
SectionEnd

Section "-Registry and uninstaller"
  WriteRegStr HKLM "${KEY}" "InstallDirectory" "$DataDir\"
  WriteRegStr HKLM "${KEY}" "VstDirectory" "$INSTDIR"
  WriteRegStr HKLM "${KEY}" "Version" "${VERSION}"
  WriteUninstaller "$DataDir\Uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tovin ${VERSION} (Corvane)"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Corvane"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$DataDir"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$DataDir\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$DataDir\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPlugin} "Tovin.dll and its file dialog, for VST hosts."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecPresets} "The factory presets, initial settings and options."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProTools} "Tovin.dpm, for Pro Tools."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  SetRegView 64
  SetShellVarContext all
  ; A re-install goes where the last one went, unless told otherwise (/D= sets $INSTDIR first).
  ReadRegStr $0 HKLM "${KEY}" "VstDirectory"
  ${If} $0 != ""
  ${AndIf} $INSTDIR == "$PROGRAMFILES64\VSTPlugins"
    StrCpy $INSTDIR $0
  ${EndIf}
  ReadRegStr $DataDir HKLM "${KEY}" "InstallDirectory"
  ${If} $DataDir == ""
    StrCpy $DataDir "$APPDATA\Corvane\Tovin"
  ${Else}
    ; Stored with its trailing separator.
    StrCpy $0 $DataDir 1 -1
    ${If} $0 == "\"
      StrCpy $DataDir $DataDir -1
    ${EndIf}
  ${EndIf}
  ReadRegStr $ProToolsDir HKLM "${KEY}" "ProToolsDirectory"
  ${If} $ProToolsDir != ""
    SectionSetFlags ${SecProTools} ${SF_SELECTED}
  ${Else}
    StrCpy $ProToolsDir "$COMMONFILES64\Digidesign\DAE\Plug-Ins"
  ${EndIf}
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PROTOOLS" $0
  ${IfNot} ${Errors}
    SectionSetFlags ${SecProTools} ${SF_SELECTED}
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/PTDIR=" $0
  ${IfNot} ${Errors}
    StrCpy $ProToolsDir $0
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/DATADIR=" $0
  ${IfNot} ${Errors}
    StrCpy $DataDir $0
  ${EndIf}
FunctionEnd

Function SkipProToolsPage
  ${IfNot} ${SectionIsSelected} ${SecProTools}
    Abort
  ${EndIf}
FunctionEnd

Section "Uninstall"
  SetRegView 64
  SetShellVarContext all
  ReadRegStr $0 HKLM "${KEY}" "VstDirectory"
  ReadRegStr $1 HKLM "${KEY}" "ProToolsDirectory"
  ${If} $0 != ""
    Delete "$0\Tovin.dll"
    Delete "$0\Morvashel.dll"
    RMDir "$0"
  ${EndIf}
  ${If} $1 != ""
    Delete "$1\Tovin.dpm"
  ${EndIf}
  ; $INSTDIR is the installation directory here, where the uninstaller runs from.
  Delete "$INSTDIR\Tovin.dll"
  Delete "$INSTDIR\Morvashel.dll"
  !include "${FACTORY_UNINSTALL_LIST}"
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PURGE" $2
  ${If} ${Errors}
    StrCpy $2 "keep"
    ${IfNot} ${Silent}
      MessageBox MB_YESNO|MB_DEFBUTTON2 "Remove your own presets, initial settings and options as well?" IDNO +2
      StrCpy $2 "purge"
    ${EndIf}
  ${Else}
    StrCpy $2 "purge"
  ${EndIf}
  ${If} $2 == "purge"
    ; User presets, InitSettings, options and the instances' notice file.
    Delete "$INSTDIR\*.*"
  ${EndIf}
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${KEY}"
  DeleteRegKey /ifempty HKLM "Software\Corvane"
SectionEnd
