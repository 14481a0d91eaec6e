#!/bin/sh
# Sets up a Debian 12 machine for the program, builds it, and then either
# starts it ("run") or runs the whole test suite ("test").
#   tools/build.sh run [program options]
#   tools/build.sh test
# Works as root and, through sudo, as a normal user. Set KT_BUILD_DIR to
# build elsewhere than ./build, KT_SANITIZE=ON for an ASan/UBSan build,
# KT_SKIP_PACKAGES=1 to skip the package step.
set -eu

mode=${1:-}
case "$mode" in
run | test) shift ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
build=${KT_BUILD_DIR:-$top/build}
sanitize=${KT_SANITIZE:-OFF}

packages="build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
fonts-wqy-microhei qt6-translations-l10n xvfb xauth xdotool imagemagick"

if [ "${KT_SKIP_PACKAGES:-0}" != 1 ]; then
    if [ "$(id -u)" = 0 ]; then
        as_root=""
    else
        as_root="sudo"
    fi
    # Only ask for packages that are not installed yet, so a ready machine
    # needs neither the network nor root.
    missing=""
    for p in $packages; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" ||
            missing="$missing $p"
    done
    if [ -n "$missing" ]; then
        $as_root apt-get update
        DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y --no-install-recommends $missing
    fi
fi

cmake -S "$top" -B "$build" -G Ninja -DKT_SANITIZE="$sanitize"
cmake --build "$build"

if [ "$mode" = run ]; then
    exec "$build/bin/ktprog" "$@"
fi
cd "$build"
exec ctest --output-on-failure
