; The Velmora installer: the manager, the executor and the help file in Program Files\Velmora, a
; copy of the executor in the 64-bit system folder, a Start-menu entry and an entry in the list of
; installed programs. The build passes the paths of the files to pack:
;   makensis -DVERSION=3.3.1 -DMANAGER=... -DEXECUTOR=... -DHELP=... -DICON=... -DOUTFILE=... Velmora.nsi
;
; Command line: /S (silent), /D=folder (last, unquoted), /WAIT=seconds (how long a silent install or
; uninstall waits for a running executor or manager before it gives up; 60 unless given).
; Exit codes: 0 done, 1 cancelled by the user, 2 stopped because a program file stayed in use.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Velmora"
!define PUBLISHER "The Velmora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
!define WAIT_DEFAULT 60

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Velmora"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright © 2026 the Velmora developers"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}: the manager Velmora.exe, the executor quenex.exe and the help file.$\r$\n$\r$\nThe Task Scheduler starts every Velmora task with the bare command line $\"quenex <task name>$\"; so that it finds the executor under every account, a copy of quenex.exe goes into the Windows system folder.$\r$\n$\r$\nTasks made with an older version are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "First every Velmora task of this computer is removed with $\"quenex -r$\" (work item and task file): no task can run once the executor is gone. Export the tasks you want to keep first."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var waitSeconds

; Reads /WAIT=seconds from the command line into $waitSeconds.
!macro ReadWaitOption un
Function ${un}ReadWaitOption
    StrCpy $waitSeconds ${WAIT_DEFAULT}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/WAIT=" $1
    ${IfNot} ${Errors}
        IntOp $1 $1 + 0
        ${If} $1 >= 0
            StrCpy $waitSeconds $1
        ${EndIf}
    ${EndIf}
FunctionEnd
!macroend
!insertmacro ReadWaitOption ""
!insertmacro ReadWaitOption "un."

; A running program's file cannot be opened for writing. Sets $1 to the first of our program files
; that is in use (here, in the system folder, or in an older install's folder), or to "" when none is.
!macro FindFileInUse un
Function ${un}CheckFileInUse
    ${If} $1 == ""
    ${AndIf} ${FileExists} $3
        ClearErrors
        FileOpen $4 $3 a
        ${If} ${Errors}
            StrCpy $1 $3
        ${Else}
            FileClose $4
        ${EndIf}
    ${EndIf}
FunctionEnd

Function ${un}FindFileInUse
    StrCpy $1 ""
    StrCpy $3 "$SYSDIR\quenex.exe"
    Call ${un}CheckFileInUse
    StrCpy $3 "$INSTDIR\quenex.exe"
    Call ${un}CheckFileInUse
    StrCpy $3 "$INSTDIR\Velmora.exe"
    Call ${un}CheckFileInUse
    ; An older install in another folder goes too.
    ReadRegStr $6 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $6 != ""
    ${AndIf} $6 != $INSTDIR
        StrCpy $3 "$6\quenex.exe"
        Call ${un}CheckFileInUse
        StrCpy $3 "$6\Velmora.exe"
        Call ${un}CheckFileInUse
    ${EndIf}
FunctionEnd
!macroend
!insertmacro FindFileInUse ""
!insertmacro FindFileInUse "un."

; Waits until no program file is in use: the user is told and may retry; a silent run tries again
; every second for $waitSeconds seconds. When a file stays in use nothing has been changed yet, and
; the run ends with exit code 2.
!macro WaitForFreeFiles un
Function ${un}WaitForFreeFiles
    StrCpy $5 0
    ${Do}
        Call ${un}FindFileInUse
        ${If} $1 == ""
            Return
        ${EndIf}
        ${If} ${Silent}
            ${If} $5 >= $waitSeconds
                ${ExitDo}
            ${EndIf}
            IntOp $5 $5 + 1
            Sleep 1000
        ${Else}
            ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1 is in use: a Velmora task is running now, or Velmora is open.$\r$\n$\r$\nClose Velmora and wait until the task has ended, then press Retry." IDRETRY`
                ${ExitDo}
            ${EndIf}
        ${EndIf}
    ${Loop}
    DetailPrint "$1 is in use; nothing was changed."
    SetErrorLevel 2
    Abort "$1 is in use; nothing was changed."
FunctionEnd
!macroend
!insertmacro WaitForFreeFiles ""
!insertmacro WaitForFreeFiles "un."

; Puts the new file "$0.new" in the place of $0. A file is never half written: the new one was
; unpacked beside it, and the old one goes only when it can (an executor started in between keeps
; it, and then the new one is dropped and the install stops with exit code 2).
Function ReplaceWithNew
    ClearErrors
    ${If} ${FileExists} $0
        Delete $0
    ${EndIf}
    ${IfNot} ${Errors}
        Rename "$0.new" $0
    ${EndIf}
    ${If} ${Errors}
        Delete "$0.new"
        DetailPrint "$0 is in use; it was not replaced."
        SetErrorLevel 2
        Abort "$0 is in use; it was not replaced."
    ${EndIf}
FunctionEnd

Function .onInit
    SetRegView 64
    SetShellVarContext all
    Call ReadWaitOption
FunctionEnd

Section "Velmora" SecMain
    SectionIn RO
    Call WaitForFreeFiles

    ; Every new file lands beside the old one first; then each takes the old one's place.
    SetOutPath $INSTDIR
    File "/oname=Velmora.exe.new" "${MANAGER}"
    File "/oname=quenex.exe.new" "${EXECUTOR}"
    File "/oname=Velmora.chm.new" "${HELP}"
    ; The Task Scheduler starts "quenex <task name>" without a path. The system folder is searched
    ; for every account at once, including services already running; a change of the search path
    ; would reach the running Task Scheduler service only after a restart of Windows.
    SetOutPath $SYSDIR
    File "/oname=quenex.exe.new" "${EXECUTOR}"

    StrCpy $0 "$SYSDIR\quenex.exe"
    Call ReplaceWithNew
    StrCpy $0 "$INSTDIR\quenex.exe"
    Call ReplaceWithNew
    StrCpy $0 "$INSTDIR\Velmora.exe"
    Call ReplaceWithNew
    StrCpy $0 "$INSTDIR\Velmora.chm"
    Call ReplaceWithNew
    SetOutPath $INSTDIR

    ; An older install in another folder: its program files go, its tasks stay.
    ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
    ${AndIf} $0 != $INSTDIR
        Delete "$0\Velmora.exe"
        Delete "$0\quenex.exe"
        Delete "$0\Velmora.chm"
        Delete "$0\uninstall.exe"
        RMDir $0
    ${EndIf}

    WriteUninstaller "$INSTDIR\uninstall.exe"
    CreateShortCut "$SMPROGRAMS\Velmora.lnk" "$INSTDIR\Velmora.exe" "" "$INSTDIR\Velmora.exe" 0 SW_SHOWNORMAL "" "Schedules shutdown, restart, hibernation and other power actions"

    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmora.exe,0"
    WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" $INSTDIR
    WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
    WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
    ; The size in KiB: the program folder and the executor's copy in the system folder.
    ${GetSize} $INSTDIR "/S=0K" $0 $1 $2
    ${GetSize} $SYSDIR "/M=quenex.exe /S=0K /G=0" $3 $1 $2
    IntOp $0 $0 + $3
    WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
    Call un.ReadWaitOption
FunctionEnd

Section "Uninstall"
    Call un.WaitForFreeFiles

    ; No task can run without the executor: take every Velmora task away first.
    DetailPrint "Removing every Velmora task: quenex -r"
    ${If} ${FileExists} "$INSTDIR\quenex.exe"
        ExecWait '"$INSTDIR\quenex.exe" -r'
    ${ElseIf} ${FileExists} "$SYSDIR\quenex.exe"
        ExecWait '"$SYSDIR\quenex.exe" -r'
    ${EndIf}

    Delete "$SMPROGRAMS\Velmora.lnk"
    Delete "$SYSDIR\quenex.exe"
    Delete "$INSTDIR\Velmora.exe"
    Delete "$INSTDIR\quenex.exe"
    Delete "$INSTDIR\Velmora.chm"
    Delete "$INSTDIR\uninstall.exe"
    RMDir $INSTDIR
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
