; tolvex.nsi - the per-user Windows installer of Tolvex (NSIS 3, built by scripts/release.sh).
; makensis -INPUTCHARSET UTF8 -DVERSION=1.2.3 -DSTAGE=<folder with the files>
;          -DFILES=<its list, as scripts/lib/installer.sh writes it> -DICON=<tolvex.ico>
;          -DOUTFILE=<setup.exe> [-DSIGN=<command that signs the file %1>] tolvex.nsi
Unicode true
; 64-bit, as the programs it installs (and as Wine without its 32-bit half runs it).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "Sections.nsh"

!define APP "Tolvex"
!define PUBLISHER "The Tolvex developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tolvex"
; The Start menu entry that backtests a history: the Open dialog, then the page in the browser.
!define BACKTEST_LINK "回测报告 (${APP}).lnk"

Name "${APP}"
OutFile "${OUTFILE}"
; A per-user install: no administrator rights, under the user's local application data.
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${APP} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${APP}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "FileDescription" "${APP} Setup"
VIAddVersionKey /LANG=0 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=0 "LegalCopyright" "Copyright (c) 2026 ${PUBLISHER}"

!ifdef SIGN
!finalize '${SIGN}'
!uninstfinalize '${SIGN}'
!endif

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\tolvex.exe"

!insertmacro MUI_PAGE_WELCOME
; The text under the licence names the button as it reads (NSIS's Chinese text names another).
!define MUI_LICENSEPAGE_TEXT_BOTTOM "$(LicenseBottom)"
!insertmacro MUI_PAGE_LICENSE "${STAGE}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; English first: the pages speak Simplified Chinese on a Chinese system, English elsewhere.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "SimpChinese"

LangString LicenseBottom ${LANG_ENGLISH} "If you accept the terms of the agreement, click I Agree to continue. You must accept the agreement to install $(^NameDA)."
LangString LicenseBottom ${LANG_SIMPCHINESE} "如果你接受许可证的条款，请点击 [我接受(I)] 继续安装。你必须接受许可证才能安装 $(^NameDA)。"
LangString SectionMain ${LANG_ENGLISH} "Tolvex (required)"
LangString SectionMain ${LANG_SIMPCHINESE} "Tolvex（必需）"
LangString SectionDesktop ${LANG_ENGLISH} "Desktop shortcut"
LangString SectionDesktop ${LANG_SIMPCHINESE} "桌面快捷方式"
LangString DescMain ${LANG_ENGLISH} "The window, the command line, the guide and the licence, with Start menu shortcuts to Tolvex and to the backtest report."
LangString DescMain ${LANG_SIMPCHINESE} "窗口程序、命令行程序、使用说明和许可证，以及“开始”菜单中的 Tolvex 和“回测报告”快捷方式。"
LangString DescDesktop ${LANG_ENGLISH} "A shortcut to Tolvex on the desktop."
LangString DescDesktop ${LANG_SIMPCHINESE} "在桌面上放一个 Tolvex 快捷方式。"

; The files the installer writes, those of the staging folder (the macro FILES, one ${DO} "name"
; a file); the uninstaller removes exactly these.
!include "${FILES}"
!macro INSTALL_ONE NAME
    File "${STAGE}/${NAME}"
!macroend
!macro REMOVE_ONE NAME
    Delete "$INSTDIR\${NAME}"
!macroend

Section "!$(SectionMain)" SecMain
    SectionIn RO
    SetOutPath "$INSTDIR"
    !insertmacro FILES "!insertmacro INSTALL_ONE"
    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\tolvex.exe"
    CreateShortCut "$SMPROGRAMS\${BACKTEST_LINK}" "$INSTDIR\tolvex.exe" "--backtest" \
        "$INSTDIR\tolvex.exe" 0

    ; The entry in the installed-programs list of Settings and the Control Panel.
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tolvex.exe"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    IntFmt $0 "0x%08X" $0
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

Section /o "$(SectionDesktop)" SecDesktop
    CreateShortCut "$DESKTOP\${APP}.lnk" "$INSTDIR\tolvex.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
    !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} $(DescMain)
    !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} $(DescDesktop)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
    ; /DESKTOP asks for the desktop shortcut, also in a silent install (/S).
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/DESKTOP" $1
    ${IfNot} ${Errors}
        SectionSetFlags ${SecDesktop} ${SF_SELECTED}
    ${EndIf}
FunctionEnd

Section "Uninstall"
    !insertmacro FILES "!insertmacro REMOVE_ONE"
    Delete "$INSTDIR\uninstall.exe"
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\${APP}.lnk"
    Delete "$SMPROGRAMS\${BACKTEST_LINK}"
    Delete "$DESKTOP\${APP}.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
