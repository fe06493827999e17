; The Velmora installer: the manager, the executor and the help file in Program Files\Velmora, a
; copy of the executor in the 64-bit system folder, a Start-menu entry and an entry in the list of
; installed programs. The build passes the paths of the files to pack:
;   makensis -DVERSION=3.3.1 -DMANAGER=... -DEXECUTOR=... -DHELP=... -DICON=... -DOUTFILE=... Velmora.nsi
;
; Command line: /S (silent), /D=folder (last, unquoted), /WAIT=seconds (how long a silent install or
; uninstall waits for a running executor or manager before it gives up; 60 unless given).
;   makensis ... -DFOLDER_GUARD=velmora-folder.exe -DTASKS_HELPER=velmora-tasks.exe ...
; Exit codes: 0 done, 1 cancelled by the user, 2 stopped with nothing changed: a program file stayed
; in use or could not be written, the install folder was refused (others could change it), or
; (uninstaller) a Velmora task could not be removed; 3 refused with nothing changed: Velmora's
; Windows Installer package is installed.

Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma
; A file that cannot be written stops the install (a silent one too) instead of being skipped.
AllowSkipFiles off

; The install folder's helper runs in .onInit's time: packed first, it is unpacked at once.
ReserveFile "${FOLDER_GUARD}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define PRODUCT "Velmora"
!define PUBLISHER "The Velmora developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmora"
; Where Velmora is and which version, for either installer to see the other (packaging/Velmora.wxs).
!define VELMORA_KEY "Software\Velmora"
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

!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION}: the manager Velmora.exe, the executor quenex.exe and the help file.$\r$\n$\r$\nEvery Velmora task runs the copy of quenex.exe that goes into the Windows system folder, named by its full path, so the Task Scheduler never searches the path for it.$\r$\n$\r$\nTasks made with an older version are kept.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
!define MUI_DIRECTORYPAGE_TEXT_TOP "The uninstaller and the manager run from this folder with administrators' rights, so only the system and the administrators may change it: Velmora makes it so. A folder that other users could change, rename or fill beforehand, or a junction on the way, is refused. $_CLICK"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE CheckFolderPage
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_UNCONFIRMPAGE_TEXT_TOP "First every Velmora task of this computer is removed with $\"quenex -r$\" (work item and task file): no task can run once the executor is gone. Export the tasks you want to keep first."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

Var waitSeconds
Var oldDir
Var failed

; The install folder's helper (packaging/win/FolderGuard.cpp) runs from the plug-ins folder: "check"
; says whether the folder may hold the programs, "protect" checks again and gives the folder, and
; every folder it makes on the way, the installer's own descriptor (SYSTEM and Administrators full
; control, Users read and run, nothing inherited). Sets $0 to its exit code.
!macro RunFolderGuard mode
    ExecWait '"$PLUGINSDIR\velmora-folder.exe" ${mode} "$INSTDIR"' $0
    ${If} ${Errors}
        StrCpy $0 7
    ${EndIf}
!macroend

; The reason the helper's exit code $0 gives for refusing $INSTDIR, in $1.
Function FolderRefusal
    ${If} $0 == 4
        StrCpy $1 "A folder on the way to $INSTDIR is a junction or a link, so the path could lead elsewhere."
    ${ElseIf} $0 == 5
        StrCpy $1 "Users other than the administrators could rename, delete or re-secure $INSTDIR or a folder on the way to it, and put their own programs where Velmora's would run with administrators' rights."
    ${ElseIf} $0 == 6
        StrCpy $1 "$INSTDIR holds files that Velmora did not put there, and users other than the administrators could write in it: such a file could run with administrators' rights."
    ${ElseIf} $0 == 3
        StrCpy $1 "Who may change $INSTDIR or a folder on the way to it could not be read."
    ${ElseIf} $0 == 7
        StrCpy $1 "$INSTDIR could not be made, or not given the rights that keep other users out."
    ${Else}
        StrCpy $1 "$INSTDIR is not the full path of a folder."
    ${EndIf}
FunctionEnd

; The folder page keeps the user on it until the folder is one the programs may live in.
Function CheckFolderPage
    ClearErrors
    !insertmacro RunFolderGuard check
    ${If} $0 != 0
        Call FolderRefusal
        MessageBox MB_OK|MB_ICONEXCLAMATION "$1$\r$\n$\r$\nChoose another folder, for example one in $PROGRAMFILES64."
        Abort
    ${EndIf}
FunctionEnd

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

; One spelling of a folder's path, for comparing two of them: full, in short (8.3) names where the
; folder exists, without a closing backslash. StrCmp compares without regard to case.
; In and out: $R0.
!macro NormalisePath un
Function ${un}NormalisePath
    ClearErrors
    GetFullPathName /SHORT $R1 $R0
    ${If} ${Errors}
        ClearErrors
        GetFullPathName $R1 $R0
    ${EndIf}
    ${IfNot} ${Errors}
        StrCpy $R0 $R1
    ${EndIf}
    ${Do}
        StrLen $R1 $R0
        ${If} $R1 <= 3
            ${ExitDo}
        ${EndIf}
        StrCpy $R1 $R0 1 -1
        ${If} $R1 != "\"
        ${AndIf} $R1 != "/"
            ${ExitDo}
        ${EndIf}
        StrCpy $R0 $R0 -1
    ${Loop}
FunctionEnd
!macroend
!insertmacro NormalisePath ""
!insertmacro NormalisePath "un."

; Sets $oldDir to the folder of an older install when that is another folder than $INSTDIR (under
; any spelling of the path), else to "".
!macro FindOldFolder un
Function ${un}FindOldFolder
    StrCpy $oldDir ""
    ReadRegStr $R3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $R3 == ""
        Return
    ${EndIf}
    StrCpy $R0 $R3
    Call ${un}NormalisePath
    StrCpy $R4 $R0
    StrCpy $R0 $INSTDIR
    Call ${un}NormalisePath
    ${If} $R0 != $R4
        StrCpy $oldDir $R3
    ${EndIf}
FunctionEnd
!macroend
!insertmacro FindOldFolder ""
!insertmacro FindOldFolder "un."

; Calls `function` with $0 set to each program file the installer puts in place.
!macro ForEachProgramFile function
    StrCpy $0 "$SYSDIR\quenex.exe"
    Call ${function}
    StrCpy $0 "$INSTDIR\quenex.exe"
    Call ${function}
    StrCpy $0 "$INSTDIR\Velmora.exe"
    Call ${function}
    StrCpy $0 "$INSTDIR\Velmora.chm"
    Call ${function}
!macroend

; Calls `function` with $0 set to each file of an older install's folder, when there is one.
!macro ForEachOldFolderFile function
    ${If} $oldDir != ""
        StrCpy $0 "$oldDir\Velmora.exe"
        Call ${function}
        StrCpy $0 "$oldDir\quenex.exe"
        Call ${function}
        StrCpy $0 "$oldDir\Velmora.chm"
        Call ${function}
        StrCpy $0 "$oldDir\uninstall.exe"
        Call ${function}
    ${EndIf}
!macroend

; A running program's file cannot be opened for writing, nor can a help file open in the viewer.
; Sets $1 to the first of our files that is in use (here, in the system folder, or in an older
; install's folder), or to "" when none is.
!macro FindFileInUse un
Function ${un}CheckFileInUse
    ${If} $1 == ""
    ${AndIf} ${FileExists} $0
        ClearErrors
        FileOpen $4 $0 a
        ${If} ${Errors}
            StrCpy $1 $0
        ${Else}
            FileClose $4
        ${EndIf}
    ${EndIf}
FunctionEnd

Function ${un}FindFileInUse
    StrCpy $1 ""
    Call ${un}FindOldFolder
    !insertmacro ForEachProgramFile ${un}CheckFileInUse
    !insertmacro ForEachOldFolderFile ${un}CheckFileInUse
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
            ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "$1 is in use: a Velmora task is running now, or Velmora or its help is open.$\r$\n$\r$\nClose Velmora and its help and wait until the task has ended, then press Retry." IDRETRY`
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

; The programs are replaced as a whole: every new file "X.new" is unpacked beside its old one, then
; every old file moves to "X.old", then every new one into its place. When a step fails (an executor
; started in between holds its file), every file goes back as it was. Each function works on $0 and
; does nothing once $failed names the file that failed.

; A file left by an install that was killed halfway goes first.
Function DropOld
    ${If} $failed == ""
    ${AndIf} ${FileExists} "$0.old"
        Delete "$0.old"
        ${If} ${FileExists} "$0.old"
            StrCpy $failed "$0.old"
        ${EndIf}
    ${EndIf}
FunctionEnd

Function RequireNew
    ${If} $failed == ""
    ${AndIfNot} ${FileExists} "$0.new"
        StrCpy $failed "$0.new"
    ${EndIf}
FunctionEnd

Function MoveOldAside
    ${If} $failed == ""
    ${AndIf} ${FileExists} $0
        ClearErrors
        Rename $0 "$0.old"
        ${If} ${Errors}
            StrCpy $failed $0
        ${EndIf}
    ${EndIf}
FunctionEnd

Function MoveNewIn
    ${If} $failed == ""
        ClearErrors
        Rename "$0.new" $0
        ${If} ${Errors}
            StrCpy $failed $0
        ${EndIf}
    ${EndIf}
FunctionEnd

; Undoes MoveOldAside and MoveNewIn for $0, once every ".new" file was there: an old file goes
; back; a new file that had no old one goes (its ".new" is gone once it was moved in; an untouched
; file still has its ".new").
Function RollBack
    ${If} ${FileExists} "$0.old"
        Delete $0
        Rename "$0.old" $0
    ${ElseIfNot} ${FileExists} "$0.new"
    ${AndIf} ${FileExists} $0
        Delete $0
    ${EndIf}
FunctionEnd

Function RestoreOld
    ${If} ${FileExists} "$0.old"
        Rename "$0.old" $0
    ${EndIf}
FunctionEnd

Function DeleteNew
    Delete "$0.new"
FunctionEnd

; A file still in use (an executor started in between) goes at the next restart of Windows.
Function DeleteOld
    Delete /REBOOTOK "$0.old"
FunctionEnd

Function StopIfFailed
    ${If} $failed != ""
        DetailPrint "$failed is in use or could not be written; nothing was changed."
        SetErrorLevel 2
        Abort "$failed is in use or could not be written; nothing was changed."
    ${EndIf}
FunctionEnd

; Stops the install when the last File could not be written.
!macro StopIfNotWritten
    ${If} ${Errors}
        StrCpy $failed $0
        Call StopIfFailed
    ${EndIf}
!macroend

Function .onInit
    SetRegView 64
    SetShellVarContext all
    Call ReadWaitOption
    ; Velmora's Windows Installer package registers where it put Velmora in ${VELMORA_KEY}; so does
    ; this installer, with its own uninstall entry beside it. The two never share a computer: each
    ; would take the other's files and tasks away on uninstall.
    ReadRegStr $0 HKLM "${VELMORA_KEY}" "InstallDir"
    ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "UninstallString"
    ${If} $0 != ""
    ${AndIf} $1 == ""
        ; The package writes the folder with a closing backslash.
        StrCpy $2 $0 1 -1
        ${If} $2 == "\"
            StrCpy $0 $0 -1
        ${EndIf}
        MessageBox MB_OK|MB_ICONSTOP "Velmora is installed on this computer from its Windows Installer package, in $0.$\r$\n$\r$\nUpdate it with a later version of the package, or remove $\"Velmora$\" in the list of installed programs first and then run this setup program. Removing it removes every Velmora task: export the tasks you want to keep to INI files before." /SD IDOK
        SetErrorLevel 3
        Quit
    ${EndIf}
    InitPluginsDir
    File "/oname=$PLUGINSDIR\velmora-folder.exe" "${FOLDER_GUARD}"
FunctionEnd

; However the install stopped, no ".new" file stays.
Function .onInstFailed
    !insertmacro ForEachProgramFile DeleteNew
FunctionEnd

Section "Velmora" SecMain
    SectionIn RO
    Call WaitForFreeFiles
    StrCpy $failed ""
    !insertmacro ForEachProgramFile DropOld
    !insertmacro ForEachOldFolderFile DropOld
    Call StopIfFailed

    ; A silent install never saw the folder page: the folder is checked here in any case, and made
    ; the installer's own before anything is put in it.
    ClearErrors
    !insertmacro RunFolderGuard protect
    ${If} $0 != 0
        Call FolderRefusal
        DetailPrint "$1 Nothing was installed."
        MessageBox MB_OK|MB_ICONSTOP "$1$\r$\n$\r$\nNothing was installed: choose another folder, for example one in $PROGRAMFILES64." /SD IDOK
        SetErrorLevel 2
        Abort "$1 Nothing was installed."
    ${EndIf}

    ; Work items name the system folder's copy by its full path; tasks of earlier versions name the
    ; bare "quenex", which the system folder also answers for every account at once.
    SetOutPath $SYSDIR
    ClearErrors
    StrCpy $0 "$SYSDIR\quenex.exe.new"
    File "/oname=quenex.exe.new" "${EXECUTOR}"
    !insertmacro StopIfNotWritten
    SetOutPath $INSTDIR
    StrCpy $0 "$INSTDIR\quenex.exe.new"
    File "/oname=quenex.exe.new" "${EXECUTOR}"
    !insertmacro StopIfNotWritten
    StrCpy $0 "$INSTDIR\Velmora.exe.new"
    File "/oname=Velmora.exe.new" "${MANAGER}"
    !insertmacro StopIfNotWritten
    StrCpy $0 "$INSTDIR\Velmora.chm.new"
    File "/oname=Velmora.chm.new" "${HELP}"
    !insertmacro StopIfNotWritten
    !insertmacro ForEachProgramFile RequireNew
    Call StopIfFailed

    ; An older install in another folder goes with the old files: its tasks stay.
    !insertmacro ForEachProgramFile MoveOldAside
    !insertmacro ForEachOldFolderFile MoveOldAside
    !insertmacro ForEachProgramFile MoveNewIn
    ${If} $failed != ""
        !insertmacro ForEachProgramFile RollBack
        !insertmacro ForEachOldFolderFile RestoreOld
        Call StopIfFailed
    ${EndIf}
    !insertmacro ForEachProgramFile DeleteOld
    !insertmacro ForEachOldFolderFile DeleteOld
    ${If} $oldDir != ""
        RMDir $oldDir
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
    WriteRegStr HKLM "${VELMORA_KEY}" "InstallDir" "$INSTDIR\"
    WriteRegStr HKLM "${VELMORA_KEY}" "Version" "${VERSION}"
SectionEnd

Function un.onInit
    SetRegView 64
    SetShellVarContext all
    Call un.ReadWaitOption
    InitPluginsDir
    File "/oname=$PLUGINSDIR\velmora-tasks.exe" "${TASKS_HELPER}"
FunctionEnd

; Deletes $0 and what a stopped install may have left beside it.
Function un.DeleteWithLeftovers
    Delete $0
    Delete "$0.new"
    Delete "$0.old"
FunctionEnd

Section "Uninstall"
    Call un.WaitForFreeFiles

    ; No task can run without the executor: take every Velmora task away first. The tasks' helper
    ; (packaging/win/TaskGuard.cpp) runs only the system folder's copy, by its full path: the
    ; uninstaller runs with administrators' rights, and no other copy is known to be the
    ; administrators' own. Then it looks for a work item of the executor that is still there (the
    ; Task Scheduler was not running, or refused); another program's work item whose name shares
    ; the prefix is none of them. Its exit code: 0 none left, 2 one left, 3 one left and no
    ; executor in the system folder; the first one left is its output.
    DetailPrint "Removing every Velmora task: $SYSDIR\quenex.exe -r"
    nsExec::ExecToStack '"$PLUGINSDIR\velmora-tasks.exe" remove'
    Pop $0
    Pop $1
    ${If} $0 != 0
        ${If} $1 == ""
            StrCpy $1 "A Velmora task"
        ${Else}
            StrCpy $1 "The Velmora task $1"
        ${EndIf}
        DetailPrint "$1 could not be removed; Velmora stays installed."
        ${If} $0 == 3
            MessageBox MB_OK|MB_ICONSTOP "$1 could not be removed, so Velmora stays installed: the executor $SYSDIR\quenex.exe, which removes the tasks, is missing.$\r$\n$\r$\nInstall Velmora again, then uninstall it." /SD IDOK
        ${Else}
            MessageBox MB_OK|MB_ICONSTOP "$1 could not be removed, so Velmora stays installed: without the executor that task would fail.$\r$\n$\r$\nThe Task Scheduler must be running to remove its tasks: start the service $\"Task Scheduler$\" and uninstall again." /SD IDOK
        ${EndIf}
        SetErrorLevel 2
        Abort "$1 could not be removed; Velmora stays installed."
    ${EndIf}

    Delete "$SMPROGRAMS\Velmora.lnk"
    !insertmacro ForEachProgramFile un.DeleteWithLeftovers
    StrCpy $0 "$INSTDIR\uninstall.exe"
    Call un.DeleteWithLeftovers
    RMDir $INSTDIR
    DeleteRegKey HKLM "${VELMORA_KEY}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
