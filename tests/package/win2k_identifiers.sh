#!/usr/bin/env bash
# The production sources use nothing that Windows 2000 lacks beyond what the
# export check sees (constants, flags, names looked up at run time), but in
# the places that look it up or guard it. A control tree with
# LOCALE_INVARIANT in it must fail the check.
# Arguments: the release folder (unused), the source folder.
set -u
src=${2:-$(cd "$(dirname "$0")/../.." && pwd)}
list=$src/tests/package/not-in-windows-2000.txt
checker=$src/tests/package/win2k_identifiers.py
[ -f "$list" ] || { echo "FAIL: no list of what Windows 2000 lacks at $list"; exit 1; }
python3 "$checker" "$list" "$src" || { echo "FAIL: an identifier that Windows 2000 lacks (above)"; exit 1; }
control=$(mktemp -d)
trap 'rm -rf "$control"' EXIT
cp -r "$src/common" "$control/"
# In a comment it is harmless; in code it is not.
printf '// LOCALE_INVARIANT in a comment\nint control = LOCALE_INVARIANT;\n' >"$control/common/control.cpp"
out=$(python3 "$checker" "$list" "$control" common)
if [ $? -eq 0 ] || ! grep -q '^FAIL: common/control.cpp:2: LOCALE_INVARIANT' <<<"$out" ||
    grep -q 'control.cpp:1:' <<<"$out"; then
    echo "FAIL: the control tree's LOCALE_INVARIANT was not reported as it should be: $out"
    exit 1
fi
echo "No identifier that Windows 2000 lacks outside the places that look it up or guard it"
