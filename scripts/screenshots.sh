#!/usr/bin/env bash
# Screenshots of every wizard page frame: builds the tests, runs the page
# screenshot test under Wine and Xvfb, and turns the BMPs into PNGs in
# the test tree's screenshots/ folder (build/tests, or build/tests64 on the
# x86_64 arm).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
one_arm
ORLAN_BUILD_TARGETS=setup_tests build_tests >/dev/null
ensure_template
OUT=$TESTS_BUILD/screenshots
rm -f "$OUT"/*.bmp "$OUT"/*.png
# A fresh prefix and an Xvfb display of its own, as every test program has.
bash "$ROOT/scripts/wine-run.sh" "$TESTS_BUILD/tests/setup_tests.exe" --gtest_filter='PageScreens.*' \
    >"$BUILD/screenshots.log" 2>&1 || {
    cat "$BUILD/screenshots.log"
    exit 1
}
for f in "$OUT"/*.bmp; do
    /usr/bin/convert "$f" "${f%.bmp}.png"
done
ls "$OUT"/*.png
