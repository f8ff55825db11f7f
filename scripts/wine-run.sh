#!/usr/bin/env bash
# Runs a Windows program under Wine for CTest. Wine's helper processes
# (services, the desktop) outlive the program and inherit its output; with a
# file in between, no pipe of CTest's is ever held open by them.
# With ORLAN_FRESH_PREFIX set, the program gets a prefix of its own, copied
# from the template, so that nothing earlier programs did can reach it.
out=$(mktemp)
if [ -n "${ORLAN_FRESH_PREFIX:-}" ]; then
    template=${ORLAN_WINE_TEMPLATE:-$HOME/.cache/orlan-wine-template}
    WINEPREFIX=$(mktemp -d /tmp/orlan-prefix.XXXXXX)
    export WINEPREFIX
    cp -a "$template/." "$WINEPREFIX/"
    ( setsid wineserver -p >/dev/null 2>&1 </dev/null & )
    sleep 0.5
fi
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
if [ -n "${ORLAN_FRESH_PREFIX:-}" ]; then
    wineserver -k >/dev/null 2>&1
    rm -rf "$WINEPREFIX"
fi
exit $rc
