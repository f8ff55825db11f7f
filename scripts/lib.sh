# Shared by the scripts: choosing the arm, installing what is missing,
# building, and fresh Wine prefixes with a quiet wineserver.
#
# The release is always the i686 build in dist/. Some hosts refuse every
# 32-bit x86 program, and 32-bit Wine cannot start there; so the same sources
# and tests are also built for x86_64 and run under 64-bit Wine (the x86_64
# arm). That build is only ever tested, never shipped.
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${ORLAN_BUILD:-$ROOT/build}
DIST=${ORLAN_DIST:-$ROOT/dist}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-"mscoree,mshtml=;winemenubuilder.exe=d"}
export DEBIAN_FRONTEND=noninteractive

# A complete static i386 Linux program of 96 bytes: exit(42) through int 0x80.
# Written out here, it needs no 32-bit package to be installed first.
write_i386_probe() {
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' >"$1"        # ident: 32-bit, LE
    printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08' >>"$1"                # exec, i386, entry
    printf '\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00' >>"$1"                # phoff, shoff, flags
    printf '\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00' >>"$1"                # sizes, one segment
    printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08' >>"$1" # PT_LOAD at 0x8048000
    printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00' >>"$1" # 96 bytes, r-x
    printf '\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >>"$1"                # exit(42)
    chmod +x "$1"
}

# The arms to run, one a line, each with the reason; $1 is the program the
# probe runs (a fresh i386 probe when empty). ORLAN_TEST_ARCH forces one arm.
choose_arms() {
    case "${ORLAN_TEST_ARCH:-}" in
        i686 | x86_64) echo "$ORLAN_TEST_ARCH ORLAN_TEST_ARCH=$ORLAN_TEST_ARCH chose it"; return 0 ;;
        '') ;;
        *) echo "ORLAN_TEST_ARCH must be i686 or x86_64, not '$ORLAN_TEST_ARCH'" >&2; return 2 ;;
    esac
    local probe=${1:-} own='' status
    if [ -z "$probe" ]; then
        own=$(mktemp /tmp/orlan-probe.XXXXXX)
        write_i386_probe "$own"
        probe=$own
    fi
    "$probe" >/dev/null 2>&1
    status=$?
    [ -n "$own" ] && rm -f "$own"
    if [ $status -eq 42 ]; then
        echo "i686 this host runs 32-bit x86 code (the probe exited 42)"
        echo "x86_64 the 64-bit arm runs too, so no change breaks it unseen"
    else
        echo "x86_64 this host runs no 32-bit x86 code (the probe gave status $status, not 42)"
    fi
}

# choose_arms' lines as the scripts print them: "Arm i686: <why>".
say_arms() { sed 's/^\([a-z0-9_]*\) /Arm \1: /'; }

# The machine a PE file is built for: i686 or x86_64 (empty when it is none).
pe_arch() {
    local offset machine
    offset=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$offset" ] || return 0
    machine=$(od -An -tx2 -j$((offset + 4)) -N2 "$1" 2>/dev/null | tr -d ' ')
    case "$machine" in 014c) echo i686 ;; 8664) echo x86_64 ;; esac
}

# Everything that depends on the arm: Wine's loader and prefix kind, the
# template prefix, the build trees and the release folder the tests drive.
use_arch() {
    ORLAN_ARCH=$1
    case "$1" in
        i686)
            export WINEARCH=win32
            WINE=/usr/lib/wine/wine
            PROGRAMS_BUILD=$BUILD/win32
            TESTS_BUILD=$BUILD/tests
            ARM_DIST=$DIST
            ;;
        x86_64)
            export WINEARCH=win64
            WINE=/usr/lib/wine/wine64
            # Debian's wine-stable would pick the 32-bit loader for children.
            export WINELOADER=$WINE
            PROGRAMS_BUILD=$BUILD/win64
            TESTS_BUILD=$BUILD/tests64
            ARM_DIST=$BUILD/win64/dist
            ;;
        *) echo "unknown arm '$1'" >&2; return 2 ;;
    esac
    WINESERVER=/usr/lib/wine/wineserver
    TEMPLATE=${ORLAN_WINE_TEMPLATE:-$HOME/.cache/orlan-wine-template}-$WINEARCH
    export ORLAN_ARCH WINE WINESERVER
}

# $@: the arms that will run.
ensure_packages() {
    local need=() arm foreign=0
    command -v i686-w64-mingw32-g++-win32 >/dev/null || need+=(g++-mingw-w64-i686 binutils-mingw-w64-i686)
    for arm in "$@"; do
        case $arm in
            i686)
                [ -x /usr/lib/wine/wine ] && dpkg -s wine32:i386 >/dev/null 2>&1 || { need+=(wine wine32:i386); foreign=1; }
                ;;
            x86_64)
                command -v x86_64-w64-mingw32-g++-win32 >/dev/null ||
                    need+=(g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64)
                [ -x /usr/lib/wine/wine64 ] || need+=(wine64)
                ;;
        esac
    done
    command -v xvfb-run >/dev/null || need+=(xvfb)
    command -v xauth >/dev/null || need+=(xauth)
    command -v cmake >/dev/null || need+=(cmake)
    command -v g++ >/dev/null || need+=(g++)
    [ -x /usr/bin/convert ] || need+=(imagemagick)
    command -v xdotool >/dev/null || need+=(xdotool)
    command -v file >/dev/null || need+=(file)
    command -v python3 >/dev/null || need+=(python3)
    command -v lnkinfo >/dev/null || need+=(liblnk-utils)
    command -v wrestool >/dev/null || need+=(icoutils)
    [ -d /usr/src/googletest ] || need+=(googletest)
    # Arial's metrics (Wine has no Arial): pages lay out as on Windows.
    [ -f /usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf ] || need+=(fonts-liberation)
    [ -f /usr/share/i18n/locales/ja_JP ] || need+=(locales)
    if [ ${#need[@]} -gt 0 ]; then
        echo "Installing: ${need[*]}"
        if [ $foreign -eq 1 ]; then
            dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
        fi
        apt-get update -q >/dev/null
        apt-get install -y -q --no-install-recommends "${need[@]}" >/dev/null
    fi
    # A Japanese locale: Wine takes ANSI code page 932 from it for the
    # double-byte path tests.
    locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
}

# The programs of the current arm into $PROGRAMS_BUILD, laid out in $ARM_DIST.
# Without use_arch first: the release, i686 into dist/.
build_programs() {
    local arch=${ORLAN_ARCH:-i686} build=${PROGRAMS_BUILD:-$BUILD/win32} dist=${ARM_DIST:-$DIST}
    cmake -S "$ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$arch-mingw-win32.cmake" \
        -DORLAN_DIST_DIR="$dist" >/dev/null
    cmake --build "$build" -j"$(nproc)"
}

build_release() { (unset ORLAN_ARCH PROGRAMS_BUILD ARM_DIST; build_programs); }

build_tests() {
    # The parser for the host, under the sanitizers (tests/host).
    cmake -S "$ROOT/tests/host" -B "$BUILD/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$BUILD/host" -j"$(nproc)" >/dev/null
    cmake -S "$ROOT" -B "$TESTS_BUILD" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/$ORLAN_ARCH-mingw-posix.cmake" \
        -DORLAN_TESTS=ON -DORLAN_DIST_DIR="$ARM_DIST" -DORLAN_RELEASE_DIR="$DIST" \
        -DORLAN_RELEASE_BUILD_DIR="$BUILD/win32" -DORLAN_HOST_BUILD_DIR="$BUILD/host" >/dev/null
    # ORLAN_BUILD_TARGETS builds only the named test programs.
    cmake --build "$TESTS_BUILD" -j"$(nproc)" ${ORLAN_BUILD_TARGETS:+--target $ORLAN_BUILD_TARGETS}
}

# A template prefix per arm is made once; every run copies it into a fresh one.
ensure_template() {
    if [ ! -f "$TEMPLATE/system.reg" ]; then
        rm -rf "$TEMPLATE"
        mkdir -p "$(dirname "$TEMPLATE")"
        WINEPREFIX=$TEMPLATE "$WINE" wineboot --init >/dev/null 2>&1 </dev/null
        WINEPREFIX=$TEMPLATE "$WINESERVER" -w
        [ -f "$TEMPLATE/system.reg" ] || { echo "wineboot made no $WINEARCH prefix at $TEMPLATE" >&2; return 1; }
    fi
}

fresh_prefix() {
    ensure_template
    WINEPREFIX=$(mktemp -d /tmp/orlan-prefix.XXXXXX)
    cp -a "$TEMPLATE/." "$WINEPREFIX/"
    export WINEPREFIX
}

# The wineserver is started here, detached from every pipe, so that no wine
# process leaves a pipe of ours held open.
start_wineserver() {
    ( setsid "$WINESERVER" -p >/dev/null 2>&1 </dev/null & )
    sleep 0.5
}

stop_wineserver() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    [ -n "${WINEPREFIX:-}" ] && [ -z "${ORLAN_KEEP_PREFIX:-}" ] && rm -rf "$WINEPREFIX"
}

# For the scripts that drive one build (main job, screenshots, benchmark):
# the i686 release where the host runs 32-bit code, else the x86_64 build of
# the same sources; says which and why. Installs, builds, and sets the arm.
# $@: packages wanted beyond the usual.
one_arm() {
    local choice arm
    choice=$(choose_arms) || return
    arm=$(head -n 1 <<<"$choice" | cut -d' ' -f1)
    head -n 1 <<<"$choice" | say_arms
    ensure_packages "$arm"
    build_release >/dev/null
    use_arch "$arm"
    if [ "$arm" = x86_64 ]; then
        echo "Driving the x86_64 build of the same sources in $ARM_DIST; the release in $DIST stays i686."
        build_programs >/dev/null
    fi
}
