#!/usr/bin/env bash
# Redraws every picture under resources/images from resources/generator/ImageGenerator.cpp.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${BUILD_DIR:-$here/../build}
cmake -S "$here/.." -B "$build" >/dev/null
cmake --build "$build" --target tickvale_image_generator -j2 >/dev/null
QT_QPA_PLATFORM=offscreen "$build/tickvale_image_generator" "$here/images"
echo "pictures written to $here/images"
