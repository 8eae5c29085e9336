#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test program under Wine.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/setup.sh"
source "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)"

trap zandrel_env_stop EXIT
zandrel_env_start
cd "$BUILD_DIR"
# The programs share one desktop and the mouse: they run one after another. A program that
# fails is run once more: a few tests follow the mouse across the virtual display, and on a
# loaded machine a late pointer event can still spoil one run; a real fault fails both.
ctest --output-on-failure --repeat until-pass:2 "$@"
