#!/usr/bin/env bash
# A long run of the fuzz driver on the checking heap: five minutes a target unless the options
# say otherwise (they are fuzz_loaders' own, see fuzz/main.cpp), e.g.
#   scripts/fuzz.sh                                  every target, seed 1, five minutes each
#   scripts/fuzz.sh --seed 7 --seconds 3600 --target packed-skin,option-text
# It has its own Wine prefix and display, so the tests can run beside it. Inputs that fail are
# kept in build/fuzz-found/<target>/ with a line saying what went wrong.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/setup.sh"
export WINEPREFIX=${WINEPREFIX:-${BUILD_DIR:-$ROOT/build}/wineprefix-fuzz}
export ZANDREL_OWN_DISPLAY=1
export ZANDREL_HEAPCHECK=${ZANDREL_HEAPCHECK:-1}
source "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target fuzz_loaders

trap zandrel_env_stop EXIT
zandrel_env_start
cd "$BUILD_DIR"
wine fuzz_loaders.exe --runs 1000000000 --seconds 300 "$@"
