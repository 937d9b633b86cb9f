#!/usr/bin/env bash
# Builds the viewer as a web page with Debian's Emscripten: build-web/ holds the page as a server
# hands it out (index.html, page.js, nuv.js, nuv.wasm, the records of each zoom, the icon) and
# build-web/nuv-<version>-web.zip with them all. The frames and the icon are drawn by the tools
# of a build for this machine, TOOLS_BUILD (build/ by default, configured here if it is not yet).
#   scripts/build-web.sh [TOOLS_BUILD [CMAKE_ARGS...]]
set -euo pipefail
cd "$(dirname "$0")/.."
tools=${1:-build}
shift $(($# < 1 ? $# : 1))
scripts/install-deps.sh web
scripts/build-tools.sh "$tools"
# Debian's emcc finds the JavaScript parser it needs among Debian's node modules.
export NODE_PATH=/usr/share/nodejs
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release \
  -DNUV_BUILD_TOOLS="$(realpath "$tools")" "$@"
cmake --build build-web -j "$(nproc)"
