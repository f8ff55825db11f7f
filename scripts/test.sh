#!/usr/bin/env bash
# Builds everything and runs every test under Wine and Xvfb, in a fresh
# 32-bit prefix of its own. Exits non-zero when any test fails.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ensure_packages
build_programs
build_tests
fresh_prefix
trap stop_wineserver EXIT
start_wineserver
cd "$BUILD/tests"
# ORLAN_CTEST_ARGS is shell words, quotes allowed: -R '^(setup|gui)$'
eval "set -- ${ORLAN_CTEST_ARGS:-}"
xvfb-run -a -s "-screen 0 1024x768x24" \
    ctest --output-on-failure --timeout 900 "$@" </dev/null
