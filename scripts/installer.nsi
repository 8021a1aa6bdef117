; Vessop's per-user installer, built by scripts/release with makensis (NSIS 3).
;   makensis -DVERSION=0.2.0 -DCOMPANY="..." -DPROGRAM=path\to\Vessop.exe -DSCANNER=path\to\vessop-scan.exe
;            -DOUTFILE=Vessop-Setup-0.2.0.exe installer.nsi
; Installs to %LOCALAPPDATA%\Programs\Vessop without administrator rights, adds a Start-menu shortcut
; and an uninstaller registered under HKCU's Uninstall key. The updater starts it with
;   /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1
; and it then asks nothing, waits for the running Vessop to close, replaces it and starts the new one.

Unicode true
Target amd64-unicode  ; 64-bit stub: the program is x64 only
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | COMPANY | PROGRAM | SCANNER | OUTFILE
  !error "VERSION, COMPANY, PROGRAM, SCANNER and OUTFILE must be defined (-D on the makensis command line)"
!endif

!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vessop"
!define MAIN_WINDOW_CLASS "Vessop.Main"
; How long the installer waits for a running Vessop to let go of its program file.
!define WAIT_STEPS 300
!define WAIT_STEP_MS 100

Name "Vessop"
Caption "Vessop ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Vessop"
!ifdef ICON
  Icon "${ICON}"
  UninstallIcon "${ICON}"
!endif

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Vessop"
VIAddVersionKey /LANG=1033 "FileDescription" "Vessop setup"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${COMPANY}"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Var update_mode  ; "1" when started by Vessop's updater

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/SILENT" $R1
  ${IfNot} ${Errors}
    SetSilent silent
  ${EndIf}
  ClearErrors
  ${GetOptions} $R0 "/UPDATE=" $update_mode
  ${If} ${Errors}
    StrCpy $update_mode ""
  ${EndIf}
  ; /SUPPRESSMSGBOXES: a silent installer shows no message boxes (each takes its /SD answer).
  ; /NORESTART: nothing here ever needs a restart.
FunctionEnd

; Waits until no Vessop window is open and its program file can be written: the updating Vessop
; closes itself right after starting this installer.
Function WaitForVessopToClose
  StrCpy $R2 0
  ${Do}
    FindWindow $R3 "${MAIN_WINDOW_CLASS}"
    ${If} $R3 == 0
      ${IfNot} ${FileExists} "$INSTDIR\Vessop.exe"
        ${Break}
      ${EndIf}
      ClearErrors
      FileOpen $R4 "$INSTDIR\Vessop.exe" a
      ${IfNot} ${Errors}
        FileClose $R4
        ${Break}
      ${EndIf}
    ${EndIf}
    IntOp $R2 $R2 + 1
    ${If} $R2 >= ${WAIT_STEPS}
      MessageBox MB_OK|MB_ICONSTOP "Vessop is still running. Close it and run the setup again." /SD IDOK
      Abort
    ${EndIf}
    Sleep ${WAIT_STEP_MS}
  ${Loop}
FunctionEnd

Section "Vessop"
  Call WaitForVessopToClose
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "/oname=Vessop.exe" "${PROGRAM}"
  File "/oname=vessop-scan.exe" "${SCANNER}"  ; the inventory on the command line, for administrators
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  CreateShortcut "$SMPROGRAMS\Vessop.lnk" "$INSTDIR\Vessop.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Vessop"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Vessop.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  IntFmt $R0 "0x%08X" $R0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$R0"

  ${If} $update_mode == "1"
    Exec '"$INSTDIR\Vessop.exe"'
  ${EndIf}
SectionEnd

Section "Uninstall"
  ; The program removes its own settings key.
  ExecWait '"$INSTDIR\Vessop.exe" --unregister'
  Delete "$SMPROGRAMS\Vessop.lnk"
  Delete "$INSTDIR\Vessop.exe"
  Delete "$INSTDIR\vessop-scan.exe"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
