#!/usr/bin/env bash
# Screenshots of every wizard page frame: builds the tests, runs the page
# screenshot test under Wine and Xvfb, and turns the BMPs into PNGs in
# $BUILD/tests/screenshots/.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ensure_packages
build_programs
build_tests
fresh_prefix
trap stop_wineserver EXIT
start_wineserver
OUT=$BUILD/tests/screenshots
rm -f "$OUT"/*.bmp "$OUT"/*.png
cd "$BUILD/tests"
xvfb-run -a -s "-screen 0 1024x768x24" \
    wine ./setup_tests.exe --gtest_filter='PageScreens.*' </dev/null >"$BUILD/screenshots.log" 2>&1 || {
    cat "$BUILD/screenshots.log"
    exit 1
}
for f in "$OUT"/*.bmp; do
    /usr/bin/convert "$f" "${f%.bmp}.png"
done
ls "$OUT"/*.png
