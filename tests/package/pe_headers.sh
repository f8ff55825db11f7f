#!/usr/bin/env bash
# The release programs load on Windows 2000: i386, GUI subsystem 5.0 or lower,
# imports only from Windows' own DLLs, nothing that Windows 2000 lacks, and
# the functions that older systems may lack looked up at run time only.
# Arguments: the release folder, the source folder, optionally the programs'
# build folder (where libsetup_core.a is).
set -u
dist=$1
fail=0
bad() { echo "FAIL: $*"; fail=1; }
allowed='^(kernel32\.dll|user32\.dll|gdi32\.dll|advapi32\.dll|comctl32\.dll|shell32\.dll|ole32\.dll|oleaut32\.dll|winspool\.drv|msvcrt\.dll)$'
runtime_only='IsWow64Process AlphaBlend XcvDataW GetDefaultPrinterA SetDefaultPrinterA _TrackMouseEvent NetUserGetInfo NetApiBufferFree'
missing_on_2000='GetTickCount64 AddVectoredExceptionHandler RemoveVectoredExceptionHandler GetModuleHandleExA GetModuleHandleExW
 InitializeSRWLock AcquireSRWLockExclusive AcquireSRWLockShared ReleaseSRWLockExclusive ReleaseSRWLockShared
 InitializeConditionVariable SleepConditionVariableCS SleepConditionVariableSRW WakeConditionVariable WakeAllConditionVariable
 InitOnceExecuteOnce InitOnceBeginInitialize FlsAlloc FlsFree FlsGetValue FlsSetValue GetNativeSystemInfo
 SetDllDirectoryA SetDllDirectoryW SetDefaultDllDirectories ___lc_codepage_func ___mb_cur_max_func __pctype_func
 _aligned_malloc _aligned_free'
checked=0
for exe in setup.exe uninstall.exe; do
    f=$dist/$exe
    [ -f "$f" ] || { bad "$exe missing from $dist"; continue; }
    dump=$(i686-w64-mingw32-objdump -p "$f")
    grep -q 'file format pei-i386' <<<"$dump" || bad "$exe is not i386"
    major=$(awk '/^MajorSubsystemVersion/ {print $2}' <<<"$dump")
    minor=$(awk '/^MinorSubsystemVersion/ {print $2}' <<<"$dump")
    { [ "$major" -lt 5 ] || { [ "$major" -eq 5 ] && [ "$minor" -eq 0 ]; }; } || bad "$exe subsystem version $major.$minor"
    grep -Eq '^Subsystem\s+0*2\b' <<<"$dump" || bad "$exe is not a GUI program"
    dlls=$(awk '/DLL Name:/ {print tolower($3)}' <<<"$dump")
    [ -n "$dlls" ] || bad "$exe has no import table"
    for d in $dlls; do grep -Eq "$allowed" <<<"$d" || bad "$exe imports from $d"; done
    # Names in the import table: the hint/name lines under each DLL.
    names=$(awk '/DLL Name:/ {on=1; next} on && NF>=3 && $1 ~ /^[0-9a-f]+$/ && $2 ~ /^[0-9]+$/ {print $3} /^$/ {}' <<<"$dump")
    for n in $runtime_only $missing_on_2000; do
        grep -qx "$n" <<<"$names" && bad "$exe imports $n statically"
    done
    [ "$(grep -c . <<<"$names")" -ge 10 ] || bad "$exe: import names were not read"
    checked=$((checked + 1))
done
[ $checked -eq 2 ] || bad "only $checked programs checked"

# winspool.drv and comctl32.dll are delay-imported, and objdump lists no
# delay imports: a call straight to one of the run-time functions would link
# through a delay-load stub unseen above. So the programs' own code, in the
# static libraries they are linked from, must not refer to them at all. The
# libraries are in the programs' build folder: the third argument, or
# win32/ beside the test build that CTest runs this from.
libdir=${3:-}
if [ -z "$libdir" ]; then
    for d in "$PWD" "$PWD/.." "$PWD/../.." "${ORLAN_BUILD:-}"; do
        [ -n "$d" ] && [ -f "$d/win32/libsetup_core.a" ] && { libdir=$d/win32; break; }
    done
fi
libs=0
for lib in libsetup_core.a libuninstall_core.a; do
    f=${libdir:+$libdir/}$lib
    [ -n "$libdir" ] && [ -f "$f" ] || { bad "$lib not found (pass the programs' build folder as the third argument)"; continue; }
    undefined=$(i686-w64-mingw32-nm -u "$f" | awk '$1 == "U" {print $2}')
    [ "$(grep -c . <<<"$undefined")" -ge 50 ] || bad "$lib: undefined symbols were not read"
    # _Name@n for a direct or delay-loaded call, __imp__Name@n for an import.
    for n in $runtime_only; do
        grep -Eq "^(__imp_)?_${n}@[0-9]+$" <<<"$undefined" && bad "$lib calls $n directly, not looked up at run time"
    done
    libs=$((libs + 1))
done
[ $libs -eq 2 ] || bad "only $libs libraries checked"
[ $fail -eq 0 ] && echo "PE headers and imports of setup.exe and uninstall.exe, and their libraries' references, are as required"
exit $fail
