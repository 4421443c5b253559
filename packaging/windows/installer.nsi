; The Goalvanta installer: the program folder of the zip under Program Files, a
; Start-menu entry, an uninstaller, and the saved-game file type opening in the game.
; makensis -DVERSION=1.00 -DSTAGE=<program folder> -DOUTFILE=<setup.exe> -DICON=<.ico>
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define NAME "Goalvanta"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Goalvanta"
!define PROGID "Goalvanta.SavedGame"

Name "${NAME} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
InstallDir "$PROGRAMFILES64\${NAME}"
InstallDirRegKey HKLM "Software\${NAME}" "InstallDir"

!include "MUI2.nsh"
!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
    SetRegView 64
FunctionEnd

Function un.onInit
    SetRegView 64
FunctionEnd

Section "Goalvanta"
    SetOutPath "$INSTDIR"
    File /r "${STAGE}\*.*"
    WriteUninstaller "$INSTDIR\uninstall.exe"

    CreateShortCut "$SMPROGRAMS\${NAME}.lnk" "$INSTDIR\goalvanta.exe"

    ; A saved game kept under a name of the player's choosing opens in the game;
    ; the slot files (.sav, a name other programs use too) only offer it.
    WriteRegStr HKLM "Software\Classes\.gvs" "" "${PROGID}"
    WriteRegStr HKLM "Software\Classes\.sav\OpenWithProgids" "${PROGID}" ""
    WriteRegStr HKLM "Software\Classes\${PROGID}" "" "Goalvanta saved game"
    WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\goalvanta.exe,0"
    WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\goalvanta.exe" "%1"'
    WriteRegStr HKLM "Software\${NAME}" "InstallDir" "$INSTDIR"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${NAME}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Goalvanta developers"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\goalvanta.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; Explorer picks up the new file type at once.
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
    Delete "$SMPROGRAMS\${NAME}.lnk"
    ; Only what the installer put there: the players' saved games live in their
    ; own application data and stay.
    RMDir /r "$INSTDIR\platforms"
    RMDir /r "$INSTDIR\styles"
    Delete "$INSTDIR\*.dll"
    Delete "$INSTDIR\goalvanta.exe"
    Delete "$INSTDIR\goalvanta_help.html"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"

    DeleteRegValue HKLM "Software\Classes\.sav\OpenWithProgids" "${PROGID}"
    ReadRegStr $0 HKLM "Software\Classes\.gvs" ""
    StrCmp $0 "${PROGID}" 0 +2
        DeleteRegKey HKLM "Software\Classes\.gvs"
    DeleteRegKey HKLM "Software\Classes\${PROGID}"
    DeleteRegKey HKLM "Software\${NAME}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
    System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
