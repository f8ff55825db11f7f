; An NSIS installer that does nothing: its time is Wine's process start and
; the NSIS stub's own, taken off the reference's time.
!ifdef AMD64
Target amd64-unicode
!else
Unicode false
!endif
Name "Null"
OutFile "${OUTFILE}"
RequestExecutionLevel admin
SilentInstall silent
Section
SectionEnd
