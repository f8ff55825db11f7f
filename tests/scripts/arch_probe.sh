#!/usr/bin/env bash
# The test script's choice of arm: a host that refuses the 32-bit probe gets
# the x86_64 arm alone; one that runs it gets both; ORLAN_TEST_ARCH forces.
# Argument: the source folder.
set -u
source "${1:?source folder}/scripts/lib.sh"
fail=0
bad() { echo "FAIL: $*"; fail=1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
unset ORLAN_TEST_ARCH

arms() { choose_arms "$@" | cut -d' ' -f1 | tr '\n' ' '; }

# The kernel refuses an ELF for a machine it has no loader for (0x7777) with
# "Exec format error", as a 64-bit-only host refuses every i386 program.
write_i386_probe "$work/foreign"
printf '\x77\x77' | dd of="$work/foreign" bs=1 seek=18 conv=notrunc 2>/dev/null
"$work/foreign" 2>"$work/err"
grep -q 'Exec format error' "$work/err" || bad "the foreign ELF was not refused as 'Exec format error'"
[ "$(arms "$work/foreign")" = "x86_64 " ] || bad "a refused probe chose '$(arms "$work/foreign")'"

# A probe that runs and answers 42 is a host that runs 32-bit code.
printf '#!/bin/sh\nexit 42\n' >"$work/runs"
chmod +x "$work/runs"
[ "$(arms "$work/runs")" = "i686 x86_64 " ] || bad "a probe that ran chose '$(arms "$work/runs")'"
# Anything else that runs is no proof.
printf '#!/bin/sh\nexit 0\n' >"$work/other"
chmod +x "$work/other"
[ "$(arms "$work/other")" = "x86_64 " ] || bad "a probe that exited 0 chose '$(arms "$work/other")'"

# The probe this script writes is a real i386 program: the host's own verdict
# on it decides, whatever that is here.
write_i386_probe "$work/probe"
file "$work/probe" 2>/dev/null | grep -q 'ELF 32-bit LSB executable, Intel 80386' ||
    bad "the written probe is not an i386 ELF: $(file "$work/probe" 2>/dev/null)"
"$work/probe" 2>/dev/null
if [ $? -eq 42 ]; then expected="i686 x86_64 "; else expected="x86_64 "; fi
[ "$(arms)" = "$expected" ] || bad "the built-in probe chose '$(arms)', the host says '$expected'"

for forced in i686 x86_64; do
    [ "$(ORLAN_TEST_ARCH=$forced arms "$work/runs")" = "$forced " ] || bad "ORLAN_TEST_ARCH=$forced was not obeyed"
done
ORLAN_TEST_ARCH=arm64 choose_arms >/dev/null 2>&1 && bad "an unknown ORLAN_TEST_ARCH was accepted"

[ $fail -eq 0 ] && echo "the probe chooses the arms as the host allows"
exit $fail
