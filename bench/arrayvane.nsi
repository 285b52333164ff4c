; The peer installer that script/bench measures ours against: the same
; medium installed the way NSIS users would do it. Built in the run with
;   makensis -DMEDIUM=DIR [-DSERVICE] -DOUTFILE=FILE bench/arrayvane.nsi
; MEDIUM is the medium folder (build/medium or a bench copy of it).
; SERVICE runs the service tool with "-i" after the files, without waiting
; for it, as ours does on NT 6; a reinstall and its uninstaller first run
; "-k" and "-u" and wait for each (ExecWait), as a careful script does.
; Names and values are those of the medium's default setup.ini.
Unicode true
!ifndef MEDIUM
  !error "MEDIUM must name the medium folder"
!endif
!ifndef OUTFILE
  !define OUTFILE "arrayvane-nsis.exe"
!endif
!define APPNAME "Arrayvane"
!define FOLDER "HBC71K"
!define APPFILE "KXRaidSetup.exe"
!define COMPANY "Veltro Technology Corp."
!define VERSION "1.00.00"
!define ENTRY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${FOLDER}"

Name "${APPNAME}"
OutFile "${OUTFILE}"
; 32-bit: Program Files (x86) on 64-bit Windows, as ours.
InstallDir "$PROGRAMFILES\${FOLDER}"
RequestExecutionLevel admin
ShowInstDetails nevershow
ShowUninstDetails nevershow

Page instfiles
UninstPage instfiles

Section "Install"
!ifdef SERVICE
  ; A reinstall takes the earlier service down before its files go.
  IfFileExists "$INSTDIR\ArrSvcSetup.exe" 0 +3
    ExecWait '"$INSTDIR\ArrSvcSetup.exe" -k'
    ExecWait '"$INSTDIR\ArrSvcSetup.exe" -u'
!endif
  SetOutPath "$INSTDIR\Uninstall"
  File "${MEDIUM}\setup.ini"
  ; The seven language modules ours keeps beside its uninstaller.
  File "${MEDIUM}\setupENU.dll"
  File "${MEDIUM}\setupCHT.dll"
  File "${MEDIUM}\setupCHS.dll"
  File "${MEDIUM}\setupJPN.dll"
  File "${MEDIUM}\setupDEU.dll"
  File "${MEDIUM}\setupKOR.dll"
  File "${MEDIUM}\setupFRA.dll"
  WriteUninstaller "$INSTDIR\Uninstall\uninst.exe"

  SetOutPath "$INSTDIR"
  File "${MEDIUM}\setup.ini"
  File "${MEDIUM}\Application\mingwm10.dll"
  File "${MEDIUM}\Application\${APPFILE}"
  File "${MEDIUM}\Application\ArrSvcSetup.exe"
  SetOutPath "$INSTDIR\Images"
  File "${MEDIUM}\Application\Images\*.*"

  WriteRegStr HKLM "${ENTRY}" "UninstallString" '"$INSTDIR\Uninstall\uninst.exe"'
  WriteRegStr HKLM "${ENTRY}" "DisplayName" "${APPNAME}"
  WriteRegStr HKLM "${ENTRY}" "DisplayIcon" "$INSTDIR\Uninstall\uninst.exe"
  WriteRegStr HKLM "${ENTRY}" "Publisher" "${COMPANY}"
  WriteRegStr HKLM "${ENTRY}" "DisplayVersion" "${VERSION}"

!ifdef SERVICE
  ; Started, not waited for: ours does not wait for "-i" either.
  Exec '"$INSTDIR\ArrSvcSetup.exe" -i'
!endif

  ; The desktop link is the user's, the program group everybody's, as ours.
  SetShellVarContext current
  CreateShortCut "$DESKTOP\${APPNAME}.lnk" "$INSTDIR\${APPFILE}"
  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${APPNAME}"
  CreateShortCut "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk" "$INSTDIR\${APPFILE}"
  CreateShortCut "$SMPROGRAMS\${APPNAME}\Uninstall.lnk" "$INSTDIR\Uninstall\uninst.exe"
SectionEnd

Var Product

Section "Uninstall"
  ; The uninstaller lies in the Uninstall folder: the product is its parent.
  GetFullPathName $Product "$INSTDIR\.."
!ifdef SERVICE
  ; Ours waits for the tool to end too, then for the service to go.
  ExecWait '"$Product\ArrSvcSetup.exe" -k'
  ExecWait '"$Product\ArrSvcSetup.exe" -u'
!endif
  Delete "$Product\mingwm10.dll"
  Delete "$Product\${APPFILE}"
  Delete "$Product\Cfg.KX"
  Delete "$Product\setup.ini"
  Delete "$Product\ArrSvcSetup.exe"
  RMDir /r "$Product\Images"
  DeleteRegKey HKLM "${ENTRY}"
  SetShellVarContext current
  Delete "$DESKTOP\${APPNAME}.lnk"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${APPNAME}\${APPNAME}.lnk"
  Delete "$SMPROGRAMS\${APPNAME}\Uninstall.lnk"
  RMDir "$SMPROGRAMS\${APPNAME}"
  ; Run in place (_?=), the uninstaller cannot remove its own folder; the
  ; rest of it goes with the folder once it has ended.
  Delete "$INSTDIR\setup.ini"
  Delete "$INSTDIR\setup*.dll"
SectionEnd
