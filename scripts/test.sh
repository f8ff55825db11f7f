#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb; every test
# program gets a fresh 32-bit prefix and a display of its own
# (scripts/wine-run.sh), two at a time. Exits non-zero when any test fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ensure_packages
build_programs
build_tests
ensure_template
cd "$BUILD/tests"
# ORLAN_CTEST_ARGS is shell words, quotes allowed: -R '^(setup|gui)$'
eval "set -- ${ORLAN_CTEST_ARGS:-}"
ctest --output-on-failure --timeout 900 -j"${ORLAN_TEST_JOBS:-2}" "$@" </dev/null
