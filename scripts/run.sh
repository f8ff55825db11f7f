#!/usr/bin/env bash
# Builds the release folder dist/ and starts the wizard under Wine. With no
# display it runs under Xvfb.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
ensure_packages
build_programs
fresh_prefix
trap stop_wineserver EXIT
start_wineserver
cd "$ROOT/dist"
if [ -n "${DISPLAY:-}" ]; then
    wine setup.exe </dev/null
else
    xvfb-run -a -s "-screen 0 1024x768x24" wine setup.exe </dev/null
fi
