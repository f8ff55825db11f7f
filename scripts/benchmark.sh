#!/usr/bin/env bash
# Benchmark: the median of five of setup's installation run (Install pressed
# to the Finish page) and the uninstaller's removal run (Yes to its success
# message) under Wine, the programs' sizes, and an NSIS installer doing the
# same file, registry and shortcut work as the reference. Prints one table.
# Runs the i686 build where the host runs 32-bit code, else (or with
# ORLAN_TEST_ARCH=x86_64) the x86_64 build against an amd64 NSIS reference.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
one_arm
command -v makensis >/dev/null || apt-get install -y -q --no-install-recommends nsis >/dev/null
ORLAN_BUILD_TARGETS=benchmark build_tests >/dev/null
dist=$ARM_DIST
work=$(mktemp -d /tmp/orlan-bench.XXXXXX)
nsis_arch=()
[ "$ORLAN_ARCH" = x86_64 ] && nsis_arch=(-DAMD64)
makensis -V1 "${nsis_arch[@]}" -DOUTFILE="$work/reference.exe" -DDIST="$dist" "$ROOT/scripts/bench/reference.nsi"
makensis -V1 "${nsis_arch[@]}" -DOUTFILE="$work/null.exe" "$ROOT/scripts/bench/null.nsi"

ensure_template
trap 'stop_wineserver; rm -rf "$work"' EXIT
# Setup and the uninstaller in a prefix and display of their own, as in the tests.
bash "$ROOT/scripts/wine-run.sh" "$TESTS_BUILD/tools/benchmark.exe" >"$work/rounds.txt" || {
    cat "$work/rounds.txt"; exit 1; }

# The NSIS reference needs no display. winemenubuilder is off for it as for
# the tests (WINEDLLOVERRIDES, from lib.sh): Windows has no such wait at a
# shortcut's save.
fresh_prefix
start_wineserver

# Seconds of one silent NSIS run, process start to end.
timed() {
    local start end
    start=$(date +%s.%N)
    "$WINE" "$1" /S </dev/null >/dev/null 2>&1
    end=$(date +%s.%N)
    awk -v a="$start" -v b="$end" 'BEGIN { print b - a }'
}
: >"$work/nsis.txt"
for round in 1 2 3 4 5; do
    reference=$(timed "$work/reference.exe")
    null=$(timed "$work/null.exe")
    echo "$reference $null" >>"$work/nsis.txt"
done

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
setup_run=$(sed -n 's/.*setup_run=\([0-9.]*\).*/\1/p' "$work/rounds.txt" | median)
setup_files_on=$(sed -n 's/.*setup_files_on=\([0-9.]*\).*/\1/p' "$work/rounds.txt" | median)
uninstall_run=$(sed -n 's/.*uninstall_run=\([0-9.]*\).*/\1/p' "$work/rounds.txt" | median)
nsis_run=$(awk '{ print $1 - $2 }' "$work/nsis.txt" | median)
nsis_total=$(awk '{ print $1 }' "$work/nsis.txt" | median)
kib() { echo "$(( ($(stat -c %s "$1") + 1023) / 1024 )) KB"; }

printf '%-46s %s\n' "Measure (median of five, Wine $("$WINE" --version | cut -d" " -f1 | cut -d- -f2), $ORLAN_ARCH arm)" "Value"
printf '%-46s %.3f s\n' "setup: installation run (Install to Finish)" "$setup_run"
printf '%-46s %.3f s\n' "  of it: files, registry, add-in, shortcut" "$setup_files_on"
printf '%-46s %.3f s\n' "uninstall: removal run (Yes to success)" "$uninstall_run"
printf '%-46s %.3f s\n' "NSIS reference: same file/registry/shortcut" "$nsis_run"
printf '%-46s %.3f s\n' "NSIS reference incl. process start" "$nsis_total"
printf '%-46s %s (target <= 350 KB)\n' "setup.exe size (the i686 release)" "$(kib "$DIST/setup.exe")"
printf '%-46s %s (target <= 80 KB)\n' "uninstall.exe size (the i686 release)" "$(kib "$DIST/uninstall.exe")"
printf '%-46s %s\n' "NSIS reference installer size" "$(kib "$work/reference.exe")"
printf '%-46s %s\n' "NSIS null installer (stub) size" "$(kib "$work/null.exe")"
printf '%-46s %s\n' "same work within twice the NSIS reference" \
    "$(awk -v s="$setup_files_on" -v n="$nsis_run" 'BEGIN { print (s <= 2 * n) ? "yes" : "no" }')"
printf '%-46s %s\n' "whole run within twice NSIS with its start" \
    "$(awk -v s="$setup_run" -v n="$nsis_total" 'BEGIN { print (s <= 2 * n) ? "yes" : "no" }')"
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(free -g | awk '/Mem:/ { print $2 }') GB"
