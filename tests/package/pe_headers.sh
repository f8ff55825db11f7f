#!/usr/bin/env bash
# The release programs load on Windows 2000: i386, GUI subsystem 5.0 or lower,
# imports only from Windows' own DLLs, nothing that Windows 2000 lacks, and
# the functions that older systems may lack looked up at run time only.
# Every import of every shipped binary is checked against the names Windows
# 2000 SP4 exports (shared/win2k-exports beside the project); the list of
# names below that 2000 lacks stays as a second opinion.
# Arguments: the release folder, the source folder, optionally the programs'
# build folder (where libsetup_core.a is).
set -u
dist=$1
src=${2:-$(cd "$(dirname "$0")/../.." && pwd)}
fail=0
bad() { echo "FAIL: $*"; fail=1; }
allowed='^(kernel32\.dll|user32\.dll|gdi32\.dll|advapi32\.dll|comctl32\.dll|shell32\.dll|ole32\.dll|oleaut32\.dll|winspool\.drv|msvcrt\.dll)$'
# The functions older systems may lack, looked up at run time, with their DLLs.
runtime_lookups='kernel32.dll!IsWow64Process msimg32.dll!AlphaBlend winspool.drv!XcvDataW winspool.drv!GetDefaultPrinterA
 winspool.drv!SetDefaultPrinterA comctl32.dll!_TrackMouseEvent netapi32.dll!NetUserGetInfo netapi32.dll!NetApiBufferFree
 kernel32.dll!SetDllDirectoryA kernel32.dll!SetDefaultDllDirectories kernel32.dll!AddDllDirectory kernel32.dll!RemoveDllDirectory'
runtime_only=$(tr ' ' '\n' <<<"$runtime_lookups" | sed 's/.*!//' | tr '\n' ' ')
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
# Every shipped binary against Windows 2000 SP4's own export lists.
exports=$src/../shared/win2k-exports
checker=$src/tests/package/win2k_exports.py
lookups=$(tr -s ' \n' ',' <<<"$runtime_lookups")
if [ ! -f "$exports/kernel32.dll.txt" ]; then
    bad "no Windows 2000 export lists at $exports"
else
    mapfile -t shipped < <(find "$dist" -maxdepth 1 -type f \( -iname '*.exe' -o -iname '*.dll' \) | sort)
    # setup.exe, uninstall.exe and the four binaries setup installs; a
    # release packed from the product's own files need carry no more.
    [ ${#shipped[@]} -ge 6 ] || bad "only ${#shipped[@]} binaries in $dist"
    python3 "$checker" "$exports" /usr/i686-w64-mingw32/lib "$lookups" "${shipped[@]}" || bad "an import that Windows 2000 SP4 lacks (above)"
    # The check can fail: a binary that imports kernel32's GetTickCount64
    # (Vista) and shell32's ILFree by name (2000 exports it by ordinal only).
    work=$(mktemp -d)
    printf '#include <windows.h>\n#include <shlobj.h>\nint main(void) { ILFree(0); return (int)GetTickCount64(); }\n' \
        >"$work/new.c"
    if i686-w64-mingw32-gcc-win32 -D_WIN32_WINNT=0x0600 -o "$work/new.exe" "$work/new.c" -lshell32 2>"$work/cc.log"; then
        python3 "$checker" "$exports" /usr/i686-w64-mingw32/lib "$lookups" "$work/new.exe" >"$work/out" && bad "a GetTickCount64 import passed"
        grep -q 'kernel32.dll!GetTickCount64 (static), which Windows 2000 SP4 does not export' "$work/out" ||
            bad "GetTickCount64 was not reported: $(cat "$work/out")"
        grep -q 'shell32.dll!ILFree by name (static); Windows 2000 exports it only by ordinal' "$work/out" ||
            bad "ILFree by name was not reported: $(cat "$work/out")"
    else
        bad "the control binary did not build: $(cat "$work/cc.log")"
    fi
    rm -rf "$work"
fi

[ $fail -eq 0 ] && echo "PE headers and imports of setup.exe and uninstall.exe, and their libraries' references, are as required"
exit $fail
