#!/bin/sh
# Sets up a Debian 12 machine for the program, builds it, and then either
# starts it ("run") or runs the whole test suite ("test").
#   tools/build.sh run [program options]
#   tools/build.sh test
#   tools/build.sh fuzz [seconds]   (clang, each fuzz target that long; 60 by default)
# Works as root and, through sudo, as a normal user. Set KT_BUILD_DIR to
# build elsewhere than ./build, KT_SANITIZE=ON for an ASan/UBSan build,
# KT_SKIP_PACKAGES=1 to skip the package step.
set -eu

mode=${1:-}
case "$mode" in
run | test | fuzz) shift ;;
*)
    echo "usage: $0 run|test|fuzz" >&2
    exit 2
    ;;
esac

top=$(cd "$(dirname "$0")/.." && pwd)
build=${KT_BUILD_DIR:-$top/build}
sanitize=${KT_SANITIZE:-OFF}

packages="build-essential cmake ninja-build qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
fonts-wqy-microhei qt6-translations-l10n xvfb xauth xdotool imagemagick"
if [ "$mode" = fuzz ]; then
    packages="$packages clang libclang-rt-14-dev"
fi

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

if [ "$mode" = fuzz ]; then
    # The fuzz targets in a clang build of their own, each run over a copy of
    # its corpus; a crash, leak, undefined behaviour or timeout ends the run
    # with an error and leaves the input that found it in the build folder.
    seconds=${1:-60}
    build=${KT_BUILD_DIR:-$top/build-fuzz}
    targets="channelfile channelcsv profilefile stringtable radioblocks"
    CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DKT_FUZZ=ON -DKT_BUILD_TESTS=OFF
    for t in $targets; do
        cmake --build "$build" --target "fuzz_$t"
    done
    export ASAN_OPTIONS=detect_leaks=1
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    for t in $targets; do
        work="$build/fuzz-work/$t"
        mkdir -p "$work/corpus"
        cd "$work"
        "$build/bin/fuzz_$t" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 corpus "$top/tests/fuzz/corpus/fuzz_$t"
    done
    exit 0
fi

cmake -S "$top" -B "$build" -G Ninja -DKT_SANITIZE="$sanitize"
cmake --build "$build"

if [ "$mode" = run ]; then
    exec "$build/bin/ktprog" "$@"
fi
cd "$build"
exec ctest --output-on-failure
