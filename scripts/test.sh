#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb, on each arm the
# host allows: the i686 build under 32-bit Wine where the host runs 32-bit
# code, and always the x86_64 build of the same sources under 64-bit Wine.
# ORLAN_TEST_ARCH=i686|x86_64 runs one arm only. Every test program gets a
# fresh prefix and a display of its own (scripts/wine-run.sh), two at a time.
# The checks of the release files look at dist/'s i686 files on either arm.
# Exits non-zero when any test of any arm fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
# ORLAN_CTEST_ARGS: words for CTest, read as xargs reads them (quotes group
# a word; nothing is expanded or run): -R '^(setup|gui)'
args=()
if [ -n "${ORLAN_CTEST_ARGS:-}" ]; then
    words=$(mktemp)
    xargs -r printf '%s\0' <<<"$ORLAN_CTEST_ARGS" >"$words" ||
        { echo "ORLAN_CTEST_ARGS is no list of words: $ORLAN_CTEST_ARGS" >&2; rm -f "$words"; exit 2; }
    mapfile -d '' args <"$words"
    rm -f "$words"
fi
set -- "${args[@]}"
choice=$(choose_arms)
arms=$(cut -d' ' -f1 <<<"$choice")
say_arms <<<"$choice"
ensure_packages $arms
build_release
status=0
for arm in $arms; do
    started=$SECONDS
    use_arch "$arm"
    echo "=== Arm $arm: $WINEARCH prefixes, $WINE, release folder under test $ARM_DIST"
    [ "$arm" = i686 ] || build_programs
    build_tests
    ensure_template
    (cd "$TESTS_BUILD" && ctest --output-on-failure --timeout 900 -j"${ORLAN_TEST_JOBS:-2}" "$@" </dev/null) ||
        { echo "=== Arm $arm: some tests failed"; status=1; }
    echo "=== Arm $arm took $((SECONDS - started)) s (its build and tests)"
done
exit $status
