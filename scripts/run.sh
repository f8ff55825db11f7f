#!/usr/bin/env bash
# The main job. With a display: builds the release folder dist/ and starts
# the setup wizard under Wine. With none: drives the default road under Xvfb,
# saves a screenshot of every page into out/screenshots (ORLAN_SHOTS_DIR),
# and prints what setup installed and what the uninstaller removed.
# On a host that runs no 32-bit code (or with ORLAN_TEST_ARCH=x86_64) it
# drives the x86_64 build of the same sources, and says so.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
one_arm
if [ -n "${DISPLAY:-}" ]; then
    fresh_prefix
    trap stop_wineserver EXIT
    start_wineserver
    cd "$ARM_DIST"
    "$WINE" setup.exe </dev/null
    exit
fi

ORLAN_BUILD_TARGETS=main_job build_tests >/dev/null
shots=${ORLAN_SHOTS_DIR:-$ROOT/out/screenshots}
# Its own pictures only: the dpi<N>/ folders are scripts/screenshots.sh's.
mkdir -p "$shots"
rm -f "$shots"/*.bmp "$shots"/*.png
ensure_template
export ORLAN_SHOTS="Z:$(echo "$shots" | tr / '\\')"
status=0
# A fresh prefix and an Xvfb display of its own, as every test program has.
bash "$ROOT/scripts/wine-run.sh" "$TESTS_BUILD/tools/main_job.exe" || status=$?
for bmp in "$shots"/*.bmp; do
    [ -f "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
done
echo "Screenshots: $shots"
exit $status
