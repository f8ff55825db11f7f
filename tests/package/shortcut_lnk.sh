#!/usr/bin/env bash
# The uninstall shortcut that setup writes, read from outside Wine by
# liblnk's lnkinfo: it points at uninstall.exe in the install folder and
# carries the product's description. The link is made by setup's own code,
# run through the test program in this prefix.
set -u
fail=0
bad() { echo "FAIL: $*"; fail=1; }

# A fresh prefix of its own, copied from the template of the test program's
# arm.
source "${2:-$(dirname "$0")/../..}/scripts/lib.sh"
command -v lnkinfo >/dev/null || { echo "FAIL: lnkinfo is missing (liblnk-utils)"; exit 1; }
tests=${ORLAN_BUILD:+$ORLAN_BUILD/tests/tests}
[ -f "$PWD/setup_tests.exe" ] && tests=$PWD
[ -f "$tests/setup_tests.exe" ] || { echo "FAIL: setup_tests.exe not found (in $PWD or \$ORLAN_BUILD/tests/tests)"; exit 1; }
use_arch "$(pe_arch "$tests/setup_tests.exe")" || exit 1
[ -f "$TEMPLATE/system.reg" ] || { echo "FAIL: no Wine template prefix at $TEMPLATE"; exit 1; }
fresh_prefix
start_wineserver
trap stop_wineserver EXIT

install_dir='C:\Orlan Link Check\PDF Scribe'
log=$(mktemp)
ORLAN_KEEP_LINK=$install_dir "$WINE" "$tests/setup_tests.exe" \
    --gtest_filter='ShortcutForOutsideReaders.*' >"$log" 2>&1 </dev/null
status=$?
grep -q '\[  PASSED  \] 1 test' "$log" || { cat "$log"; bad "the link-writing test did not pass (status $status)"; }
rm -f "$log"

user_programs=$(find "$WINEPREFIX/drive_c/users" -path '*/Start Menu/Programs/Orlan PDF Scribe/Uninstall.lnk' \
    -not -path '*/Public/*' 2>/dev/null | head -n 1)
[ -n "$user_programs" ] || { bad "no Uninstall.lnk in the user's Programs folder"; exit 1; }

info=$(lnkinfo "$user_programs" 2>&1)
echo "$info"
grep -Eq '^\s*Description\s*:\s*Orlan PDF Scribe Uninstall\s*$' <<<"$info" || bad "description is not 'Orlan PDF Scribe Uninstall'"
grep -Fiq 'C:\Orlan Link Check\PDF Scribe\uninstall.exe' <<<"$info" || bad "no local path to the installed uninstall.exe"
grep -Eq '^\s*(Working directory|Command line arguments|Icon location)\s*:' <<<"$info" &&
    bad "the link carries a working directory, arguments or icon location"
[ $fail -eq 0 ] && echo "Uninstall.lnk points at the installed uninstall.exe with its description"
exit $fail
