; The Windows installer of Quillon: a per-user install that needs no administrator.
; scripts/build-windows.sh builds it with
;   makensis -DVERSION=x.y -DSTAGE=<folder with the files> -DOUTFILE=<setup.exe> installer.nsi
;
; It puts quillon.exe, the demo zone, README.txt and the licences into
; %LOCALAPPDATA%\Programs\Quillon (or the folder chosen), a Start menu entry, an
; optional desktop shortcut and an entry under "Apps & features". The uninstaller
; takes away exactly those and leaves the user's own: the settings in the registry
; and %APPDATA%\Quillon (logs, maps, received files, ignore lists).
; /S installs or uninstalls silently; /D=<folder> picks the folder.

; A 64-bit installer for a 64-bit program (it runs where 32-bit Windows programs do not, as under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | STAGE | OUTFILE
    !error "VERSION, STAGE and OUTFILE must be defined"
!endif

!define PRODUCT "Quillon"
!define PUBLISHER "The Quillon developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon"
!define UNINSTALLER "uninstall.exe"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${STAGE}\quillon.ico"
!define MUI_UNICON "${STAGE}\quillon.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\quillon.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Quillon"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; What the install writes, and so what the uninstaller removes.
!macro ProgramFiles Action
    ${Action} "$INSTDIR\quillon.exe"
    ${Action} "$INSTDIR\quillon-zone-sim.exe"
    ${Action} "$INSTDIR\README.txt"
    ${Action} "$INSTDIR\LICENCE-wxWidgets.txt"
    ${Action} "$INSTDIR\LICENCE-zlib.txt"
!macroend

Section "Quillon" SectionProgram
    SectionIn RO
    SetShellVarContext current
    SetOutPath "$INSTDIR"
    File "${STAGE}\quillon.exe"
    File "${STAGE}\quillon-zone-sim.exe"
    File "${STAGE}\README.txt"
    File "${STAGE}\LICENCE-wxWidgets.txt"
    File "${STAGE}\LICENCE-zlib.txt"
    WriteUninstaller "$INSTDIR\${UNINSTALLER}"

    CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\quillon.exe" "" "$INSTDIR\quillon.exe" 0 \
        SW_SHOWNORMAL "" "Chat in Driftwake zones"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\quillon.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "Desktop shortcut" SectionDesktop
    SetShellVarContext current
    CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\quillon.exe" "" "$INSTDIR\quillon.exe" 0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionProgram} "Quillon, the demo zone and the README."
    !insertmacro MUI_DESCRIPTION_TEXT ${SectionDesktop} "A shortcut to Quillon on the desktop."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Section "Uninstall"
    SetShellVarContext current
    !insertmacro ProgramFiles Delete
    Delete "$INSTDIR\${UNINSTALLER}"
    Delete "$SMPROGRAMS\${PRODUCT}.lnk"
    Delete "$DESKTOP\${PRODUCT}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    ; Only when empty: whatever the user keeps here stays.
    RMDir "$INSTDIR"
SectionEnd
