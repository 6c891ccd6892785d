; The Windows installer: a per-user install that needs no administrator, into
; %LOCALAPPDATA%\Programs\Vistrel (Vistrel.exe and readme.txt side by side, as the Help command
; expects), a Start menu shortcut, and an uninstaller registered under the user's Uninstall key.
; /S installs and uninstalls silently. The uninstaller removes what the installer made and
; leaves the user's settings (HKCU\Software\Tarnwell\Vistrel) alone.
;
; A running Vistrel holds Vistrel.exe open, so neither side can replace or remove it. Both close
; it first the way its close button does (WM_CLOSE to its main window, which saves the settings
; and ends the program exactly as the Exit command does), after asking when interactive. A copy
; that does not end stops them before they change anything: interactive, the user is told and
; stays on the page; silent, the exit code is 2. The posted close is not withdrawn (a message in
; another program's queue cannot be): such a copy may still close later, once it responds, and
; saves its settings then as at Exit.
;
; Built by the CMake target vistrel_installer, which passes every value below with -D:
;   VERSION (1.0.5), VERSION4 (the version resource's 1.0.0.5), PUBLISHER, HOMEPAGE,
;   STAGE (the directory holding Vistrel.exe and readme.txt), ICON, OUTFILE.

; Vistrel.exe is a 64-bit program; so is its installer (and Wine without 32-bit support runs it).
Target amd64-unicode
RequestExecutionLevel user
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vistrel"
; What identifies a running Vistrel: its single-instance mutex and its main window's class.
!define INSTANCE_MUTEX "Local\Vistrel"
!define MAIN_WINDOW_CLASS "VistrelMagnifier"
; How long a copy gets to save its settings and end (polls of 250 ms).
!define CLOSE_POLLS 40
; NSIS's own exit code for a run that the script stopped.
!define EXIT_NOT_DONE 2

Name "Vistrel ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vistrel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

; The installer's and the uninstaller's own version resource, with the program's values.
VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 "ProductName" "Vistrel"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "Vistrel installer"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Vistrel.exe"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE AskToCloseVistrel
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE un.AskToCloseVistrel
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!macro CLOSE_VISTREL_FUNCTIONS un
; $0 = 1 while a Vistrel runs in this session, else 0. The window covers a copy whose mutex this
; process cannot open.
Function ${un}VistrelRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${INSTANCE_MUTEX}") p .r1'
  ${If} $1 != 0
    System::Call 'kernel32::CloseHandle(p r1)'
    StrCpy $0 1
    Return
  ${EndIf}
  FindWindow $1 "${MAIN_WINDOW_CLASS}"
  ${If} $1 != 0
    StrCpy $0 1
  ${Else}
    StrCpy $0 0
  ${EndIf}
FunctionEnd

; Closes every running Vistrel as its close button does and waits for it to end; $0 as above.
; Posted, not sent: a copy that does not answer must not hold up this one. Each window is asked
; once.
Function ${un}CloseVistrel
  StrCpy $2 0
  StrCpy $3 0
  ${Do}
    Call ${un}VistrelRunning
    ${If} $0 == 0
    ${OrIf} $2 >= ${CLOSE_POLLS}
      ${Break}
    ${EndIf}
    FindWindow $1 "${MAIN_WINDOW_CLASS}"
    ${If} $1 != 0
    ${AndIf} $1 != $3
      System::Call 'user32::PostMessageW(p r1, i ${WM_CLOSE}, p 0, p 0)'
      StrCpy $3 $1
    ${EndIf}
    Sleep 250
    IntOp $2 $2 + 1
  ${Loop}
FunctionEnd

; The leave callback of the page before any change: asks, closes, and keeps the user on the page
; when the copy stays.
Function ${un}AskToCloseVistrel
  Call ${un}VistrelRunning
  ${If} $0 == 0
    Return
  ${EndIf}
  MessageBox MB_OKCANCEL|MB_ICONINFORMATION "Vistrel is running. It will be closed as its Exit command closes it, which saves its settings." IDOK close
  Abort
  close:
  Call ${un}CloseVistrel
  ${If} $0 != 0
    MessageBox MB_OK|MB_ICONEXCLAMATION "Vistrel could not be closed, so nothing was changed. It may still close later, once it responds, saving its settings.$\r$\n$\r$\nChoose Exit in the menu of its tray icon, then try again."
    Abort
  ${EndIf}
FunctionEnd

; Silent runs have no pages: the same close, and an exit code instead of the message.
Function ${un}CloseVistrelWhenSilent
  ${IfNot} ${Silent}
    Return
  ${EndIf}
  Call ${un}CloseVistrel
  ${If} $0 != 0
    SetErrorLevel ${EXIT_NOT_DONE}
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLOSE_VISTREL_FUNCTIONS ""
!insertmacro CLOSE_VISTREL_FUNCTIONS "un."

Function .onInit
  Call CloseVistrelWhenSilent
FunctionEnd

Function un.onInit
  Call un.CloseVistrelWhenSilent
FunctionEnd

Section "Vistrel"
  SetOutPath "$INSTDIR"
  ; A copy started after the check: never report success with the old program in place.
  ClearErrors
  File "${STAGE}/Vistrel.exe"
  ${If} ${Errors}
    SetErrorLevel ${EXIT_NOT_DONE}
    Abort "Vistrel.exe could not be replaced: Vistrel is running."
  ${EndIf}
  File "${STAGE}/readme.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Vistrel.lnk" "$INSTDIR\Vistrel.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vistrel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vistrel.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "URLInfoAbout" "${HOMEPAGE}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ; In KiB, as Apps and Features reads it.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; The program first: while it cannot go, everything else stays, the Uninstall entry included.
  Delete "$INSTDIR\Vistrel.exe"
  ${If} ${FileExists} "$INSTDIR\Vistrel.exe"
    SetErrorLevel ${EXIT_NOT_DONE}
    Abort "Vistrel.exe could not be removed: Vistrel is running."
  ${EndIf}
  Delete "$SMPROGRAMS\Vistrel.lnk"
  Delete "$INSTDIR\readme.txt"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only when empty: files the user put there stay.
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
