; The Windows setup program of Vantora GPS Utility.
;
; Built by tools/dist.sh with Debian's makensis:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0 -DSTAGE=<folder> -DOUTFILE=<setup.exe> VantoraGPS.nsi
; STAGE holds exactly the files of the program folder: VantoraGPS.exe, the
; three DLLs and the user manual.
;
; It installs into Program Files\Vantora GPS Utility, adds a Start-menu
; folder and the entry of Windows' list of installed programs. The
; uninstaller removes only what was installed: the log store (below the
; Documents folder, or wherever the user keeps it) is the user's and stays.

; A 64-bit setup for a 64-bit program (it also runs where Wine has no
; 32-bit side).
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!ifndef VERSION
  !error "VERSION is not defined"
!endif
!ifndef STAGE
  !error "STAGE (the folder of the files to install) is not defined"
!endif
!ifndef OUTFILE
  !error "OUTFILE is not defined"
!endif

!define PRODUCT "Vantora GPS Utility"
!define PUBLISHER "Korvel"
!define MANUAL "Vantora GPS Utility 取扱説明書.pdf"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
; The program holds this named mutex while it runs.
!define RUNNING_MARKER "1E261715-68EA-4799-B655-B7190945A356"

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
BrandingText "${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=1041 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1041 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1041 "FileDescription" "${PRODUCT} セットアップ"
VIAddVersionKey /LANG=1041 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1041 "LegalCopyright" "${PUBLISHER}"

; makensis reads the script from its own folder.
!define MUI_ICON "..\src\res\VantoraGPS.ico"
!define MUI_UNICON "..\src\res\VantoraGPS.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\VantoraGPS.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"

; Files of a running program cannot be replaced or removed; rather than
; leave a half-updated folder, ask the user to close it first.
!macro REFUSE_WHILE_RUNNING
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARKER}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} が起動しています。$\n終了してから、もう一度実行してください。" /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro REFUSE_WHILE_RUNNING
FunctionEnd

Section "Install"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}\VantoraGPS.exe"
  File "${STAGE}\Exif.dll"
  File "${STAGE}\ProgressProc.dll"
  File "${STAGE}\checkDeviceDll.dll"
  File "${STAGE}\${MANUAL}"
  ; The program names its log store by "korvel.dat" beside it. A standard
  ; user cannot create it in Program Files, so setup does; opened for
  ; appending, an existing one (the user's choice of store) is kept.
  FileOpen $0 "$INSTDIR\korvel.dat" a
  FileClose $0

  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk" "$INSTDIR\VantoraGPS.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 取扱説明書.lnk" "$INSTDIR\${MANUAL}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\VantoraGPS.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\VantoraGPS.exe"
  Delete "$INSTDIR\Exif.dll"
  Delete "$INSTDIR\ProgressProc.dll"
  Delete "$INSTDIR\checkDeviceDll.dll"
  Delete "$INSTDIR\${MANUAL}"
  Call un.DeleteStoreNameFileWhenEmpty
  Delete "$INSTDIR\uninstall.exe"
  ; Not /r: whatever else the user keeps in the folder stays, and so does
  ; the folder.
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT}.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\${PRODUCT} 取扱説明書.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd

; An empty "korvel.dat" is setup's own; one that names a store was written
; by the user and leads a later installation to the same store, so it stays.
Function un.DeleteStoreNameFileWhenEmpty
  ClearErrors
  FileOpen $0 "$INSTDIR\korvel.dat" r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileSeek $0 0 END $1
  FileClose $0
  ${If} $1 == 0
    Delete "$INSTDIR\korvel.dat"
  ${EndIf}
FunctionEnd
