#!/usr/bin/env bash
# Runs one Windows test program for CTest, alone: in a fresh prefix copied
# from the template of the program's own arm (a 32-bit prefix for an i686
# program, a 64-bit one for an x86_64 program), with its own wineserver and
# its own Xvfb display. So programs can run side by side and nothing one
# program did can reach another.
# Wine's helper processes (services, the desktop) outlive the program and
# inherit its output; with a file in between, no pipe of CTest's is ever held
# open by them.
set -u
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
arch=$(pe_arch "$1")
use_arch "${arch:-${ORLAN_ARCH:-i686}}" || exit 2
[ -f "$TEMPLATE/system.reg" ] || { echo "no $WINEARCH template prefix at $TEMPLATE" >&2; exit 2; }
# ORLAN_LOGPIXELS: the screen's DPI as Windows keeps it for the user; Wine
# reads it when its server starts. The screen grows with it, as a user's
# screen at that scale has room for the same windows.
dpi=${ORLAN_LOGPIXELS:-96}
case $dpi in
    96 | 120 | 144 | 192) ;;
    *) echo "ORLAN_LOGPIXELS must be 96, 120, 144 or 192, not '$dpi'" >&2; exit 2 ;;
esac
fresh_prefix
# Xvfb has no window manager: Wine would wait two seconds for one at every
# window it hides. Unmanaged windows, as on Windows, need none.
printf '\n[Software\\\\Wine\\\\X11 Driver] 0\n"Managed"="N"\n' >>"$WINEPREFIX/user.reg"
if [ -n "${ORLAN_LOGPIXELS:-}" ]; then
    printf '\n[Control Panel\\\\Desktop] 0\n"LogPixels"=dword:%08x\n' "$dpi" >>"$WINEPREFIX/user.reg"
fi
# A program that crashes ends at once, with its exception as the exit code,
# instead of waiting in Wine's debugger until CTest's time runs out.
printf '\n[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\AeDebug] 0\n"Debugger"=""\n' \
    >>"$WINEPREFIX/system.reg"
out=$(mktemp)
xvfb_pid=
cleanup() {
    stop_wineserver
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -f "$out" "$out.display"
}
trap cleanup EXIT
# Xvfb picks a free display itself and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 $((1024 * dpi / 96))x$((768 * dpi / 96))x24 -nolisten tcp 3>"$out.display" >/dev/null 2>&1 </dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
    [ -s "$out.display" ] && break
    sleep 0.1
done
export DISPLAY=":$(cat "$out.display")"
start_wineserver
"$WINE" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
exit $rc
