#!/usr/bin/env bash
# Both programs carry a manifest that asks for administrator rights in the
# form XP and 2003 accept (the asm.v2 trustInfo), declares the systems from
# Vista to 11 in the compatibility.v1 section that XP and Vista ignore, and
# the product's version resource; setup's payload table describes exactly
# the files beside it.
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
    # Vista, 7, 8, 8.1 and 10/11, each once, inside one compatibility.v1 element.
    compat=$(tr -d '\r\n' <<<"$manifest" |
        grep -o '<compatibility xmlns="urn:schemas-microsoft-com:compatibility.v1">.*</compatibility>')
    [ -n "$compat" ] || bad "$exe: no compatibility section in its own compatibility.v1 namespace"
    for id in e2011457-1546-43c5-a5fe-008deee3d3f0 35138b9a-5d96-4fbd-8e2d-a2440225f93a \
        4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38 1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a; do
        [ "$(grep -o "<supportedOS Id=\"{$id}\"/>" <<<"$compat" | wc -l)" -eq 1 ] || bad "$exe: supportedOS $id not once"
    done
    # Nothing but the known namespaces, which XP either reads or skips whole.
    extra=$(grep -o 'xmlns[:a-z0-9_]*="[^"]*"' <<<"$manifest" | grep -Ev '"urn:schemas-microsoft-com:(asm\.v1|asm\.v2|compatibility\.v1)"')
    [ -z "$extra" ] || bad "$exe: unexpected namespace $extra"
    version=$(wrestool -x --raw -t16 -n1 "$f" 2>/dev/null | strings -el)
    [ -n "$version" ] || { bad "$exe has no version resource"; continue; }
    grep -qx 'Orlan PDF Scribe' <<<"$version" || bad "$exe: product name missing"
    [ "$(grep -cx '3.1.0.1210' <<<"$version")" -eq 2 ] || bad "$exe: file and product version are not 3.1.0.1210"
    # The fixed part: FILEVERSION 3,1,0,1210 as two DWORDs after the signature.
    fixed=$(wrestool -x --raw -t16 -n1 "$f" | od -An -tx4 -w4 | tr -d ' ' | grep -A3 -x 'feef04bd' | sed -n '3,4p' | tr '\n' ' ')
    [ "$fixed" = "00030001 000004ba " ] || bad "$exe: FILEVERSION is '$fixed'"
done
table=$(wrestool -x --raw -t10 -n130 "$dist/setup.exe" 2>/dev/null | sort)
folder=$(cd "$dist" && for f in *; do
    [ -f "$f" ] && [ "$f" != setup.exe ] && echo "$(sha256sum <"$f" | cut -d' ' -f1) $(stat -c %s "$f") $f"
done | sort)
[ -n "$table" ] || bad "setup.exe has no payload table"
[ "$table" = "$folder" ] || bad "setup.exe's payload table is not its folder's:
$(diff <(echo "$table") <(echo "$folder"))"
[ $fail -eq 0 ] && echo "manifests, version resources and the payload table are as required"
exit $fail
