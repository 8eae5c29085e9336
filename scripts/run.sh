#!/usr/bin/env bash
# Installs what is missing, builds and runs the gallery. Without a display it paints into a
# virtual one and writes build/screenshots/gallery.png instead.
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
"$ROOT/scripts/setup.sh"
source "$ROOT/scripts/wine-env.sh"

cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/i686-w64-mingw32.cmake" >/dev/null
cmake --build "$BUILD_DIR" -j"$(nproc)" --target gallery

had_display=${DISPLAY:-}
trap zandrel_env_stop EXIT
zandrel_env_start
cd "$ROOT"
if [ -n "$had_display" ]; then
  wine "$BUILD_DIR/gallery.exe" "$@"
else
  mkdir -p "$BUILD_DIR/screenshots"
  shot="$BUILD_DIR/screenshots/gallery.png"
  wine "$BUILD_DIR/gallery.exe" --screenshot "Z:$shot" "$@"
  echo "screenshot: $shot"
fi
