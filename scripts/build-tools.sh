#!/usr/bin/env bash
# Builds the tools that draw the frames and the icon (bake_frames, draw_icon) in a build for this
# machine, TOOLS_BUILD, configured here if it is not yet: a build for another system (Windows, a
# web page) takes its frames and icon from them.
#   scripts/build-tools.sh TOOLS_BUILD
set -euo pipefail
cd "$(dirname "$0")/.."
tools=$1
[ -f "$tools/CMakeCache.txt" ] || cmake -S . -B "$tools" -DNUV_TESTS=OFF -DNUV_BENCH=OFF
cmake --build "$tools" -j "$(nproc)" --target bake_frames draw_icon
