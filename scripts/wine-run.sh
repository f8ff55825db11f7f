#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Wine's helper processes
# (services, the desktop) outlive the program and inherit its output; with a
# file in between, no pipe of CTest's is ever held open by them.
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc
