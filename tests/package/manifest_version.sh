#!/usr/bin/env bash
# Both programs carry a manifest that asks for administrator rights in the
# form XP and 2003 accept (the asm.v2 trustInfo), and the product's version
# resource.
set -u
dist=$1
fail=0
bad() { echo "FAIL: $*"; fail=1; }
for exe in setup.exe uninstall.exe; do
    f=$dist/$exe
    manifest=$(wrestool -x --raw -t24 -n1 "$f" 2>/dev/null)
    [ -n "$manifest" ] || { bad "$exe has no manifest resource 1"; continue; }
    grep -q '<trustInfo xmlns="urn:schemas-microsoft-com:asm.v2">' <<<"$manifest" || bad "$exe: trustInfo is not asm.v2"
    grep -q 'requestedExecutionLevel level="requireAdministrator" uiAccess="false"' <<<"$manifest" ||
        bad "$exe does not ask for administrator rights"
    grep -q 'processorArchitecture="X86"' <<<"$manifest" || bad "$exe: manifest not for x86"
    grep -q 'asm.v3' <<<"$manifest" && bad "$exe: asm.v3 namespace, which XP's loader rejects"
    version=$(wrestool -x --raw -t16 -n1 "$f" 2>/dev/null | strings -el)
    [ -n "$version" ] || { bad "$exe has no version resource"; continue; }
    grep -qx 'Orlan PDF Scribe' <<<"$version" || bad "$exe: product name missing"
    [ "$(grep -cx '3.1.0.1210' <<<"$version")" -eq 2 ] || bad "$exe: file and product version are not 3.1.0.1210"
    # The fixed part: FILEVERSION 3,1,0,1210 as two DWORDs after the signature.
    fixed=$(wrestool -x --raw -t16 -n1 "$f" | od -An -tx4 -w4 | tr -d ' ' | grep -A3 -x 'feef04bd' | sed -n '3,4p' | tr '\n' ' ')
    [ "$fixed" = "00030001 000004ba " ] || bad "$exe: FILEVERSION is '$fixed'"
done
[ $fail -eq 0 ] && echo "manifests and version resources of both programs are as required"
exit $fail
