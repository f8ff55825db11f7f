#!/usr/bin/env bash
# Screenshots of the splash, every wizard page and the uninstaller's dialog
# at 96, 120, 144 and 192 DPI: builds the tests, runs the page screenshot
# suite under Wine and Xvfb once per DPI, each in a fresh prefix whose user
# has that DPI, and turns the BMPs into PNGs in out/screenshots/dpi<N>/
# (ORLAN_SHOTS_DIR). The x86_64 arm drives the same sources where the host
# runs no 32-bit code.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
one_arm
ORLAN_BUILD_TARGETS=setup_tests build_tests >/dev/null
ensure_template
shots=${ORLAN_SHOTS_DIR:-$ROOT/out/screenshots}
status=0
for dpi in 96 120 144 192; do
    taken=$TESTS_BUILD/screenshots/dpi$dpi
    rm -rf "$taken" "$shots/dpi$dpi"
    mkdir -p "$shots/dpi$dpi"
    # The suite's checks run too; their failures are reported, and the
    # pictures are kept either way.
    ORLAN_LOGPIXELS=$dpi bash "$ROOT/scripts/wine-run.sh" "$TESTS_BUILD/tests/setup_tests.exe" \
        --gtest_filter='PageScreens.*' >"$BUILD/screenshots-dpi$dpi.log" 2>&1 || {
        cat "$BUILD/screenshots-dpi$dpi.log"
        status=1
    }
    for f in "$taken"/*.bmp; do
        [ -f "$f" ] || continue
        /usr/bin/convert "$f" "$shots/dpi$dpi/$(basename "${f%.bmp}").png"
    done
    echo "$dpi DPI: $(ls "$shots/dpi$dpi" | wc -l) pictures in $shots/dpi$dpi"
done
exit $status
