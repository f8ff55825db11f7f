# Shared by run.sh and test.sh: installing what is missing, building, and a
# fresh 32-bit Wine prefix with a quiet wineserver.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ORLAN_BUILD:-$ROOT/build}
export WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export DEBIAN_FRONTEND=noninteractive

ensure_packages() {
    local need=()
    command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
    command -v wine >/dev/null && dpkg -s wine32:i386 >/dev/null 2>&1 || need+=(wine wine32:i386)
    command -v xvfb-run >/dev/null || need+=(xvfb)
    command -v xauth >/dev/null || need+=(xauth)
    command -v cmake >/dev/null || need+=(cmake)
    [ -x /usr/bin/convert ] || need+=(imagemagick)
    command -v xdotool >/dev/null || need+=(xdotool)
    command -v lnkinfo >/dev/null || need+=(liblnk-utils)
    command -v wrestool >/dev/null || need+=(icoutils)
    [ -d /usr/src/googletest ] || need+=(googletest)
    # Arial's metrics (Wine has no Arial): pages lay out as on Windows.
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] || need+=(fonts-liberation)
    [ -f /usr/share/i18n/locales/ja_JP ] || need+=(locales)
    if [ ${#need[@]} -gt 0 ]; then
        echo "Installing: ${need[*]}"
        dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
        apt-get update -q >/dev/null
        apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
    fi
    # A Japanese locale: Wine takes ANSI code page 932 from it for the
    # double-byte path tests.
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

build_programs() {
    cmake -S "$ROOT" -B "$BUILD/win32" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-mingw-win32.cmake" \
        -DORLAN_DIST_DIR="${ORLAN_DIST:-$ROOT/dist}" >/dev/null
    cmake --build "$BUILD/win32" -j"$(nproc)"
}

build_tests() {
    cmake -S "$ROOT" -B "$BUILD/tests" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-mingw-posix.cmake" \
        -DORLAN_TESTS=ON -DORLAN_DIST_DIR="${ORLAN_DIST:-$ROOT/dist}" >/dev/null
    # ORLAN_BUILD_TARGETS builds only the named test programs.
    cmake --build "$BUILD/tests" -j"$(nproc)" ${ORLAN_BUILD_TARGETS:+--target $ORLAN_BUILD_TARGETS}
}

# A template prefix is made once; every run copies it into a fresh one.
TEMPLATE=${ORLAN_WINE_TEMPLATE:-$HOME/.cache/orlan-wine-template}
ensure_template() {
    if [ ! -f "$TEMPLATE/system.reg" ]; then
        rm -rf "$TEMPLATE"
        mkdir -p "$(dirname "$TEMPLATE")"
        WINEPREFIX=$TEMPLATE wineboot --init >/dev/null 2>&1 </dev/null
        WINEPREFIX=$TEMPLATE wineserver -w
    fi
}

fresh_prefix() {
    ensure_template
    local template=$TEMPLATE
    WINEPREFIX=$(mktemp -d /tmp/orlan-prefix.XXXXXX)
    cp -a "$template/." "$WINEPREFIX/"
    export WINEPREFIX
}

# The wineserver is started here, detached from every pipe, so that no wine
# process leaves a pipe of ours held open.
start_wineserver() {
    ( setsid wineserver -p >/dev/null 2>&1 </dev/null & )
    sleep 0.5
}

stop_wineserver() {
    wineserver -k >/dev/null 2>&1 || true
    [ -n "${WINEPREFIX:-}" ] && [ -z "${ORLAN_KEEP_PREFIX:-}" ] && rm -rf "$WINEPREFIX"
}
