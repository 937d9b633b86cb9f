#!/usr/bin/env bash
# Builds the viewer for 64-bit Windows with mingw-w64: build-windows/nuv.exe, one executable with
# no DLL beside it, and build-windows/nuv-<version>-windows-x64.zip with the licence and a
# read-me. The frames and the icon are drawn by the tools of a build for this machine, TOOLS_BUILD
# (build/ by default, configured here if it is not yet).
#   scripts/build-windows.sh [TOOLS_BUILD [CMAKE_ARGS...]]
set -euo pipefail
cd "$(dirname "$0")/.."
tools=${1:-build}
shift $(($# < 1 ? $# : 1))
scripts/install-deps.sh windows
scripts/build-tools.sh "$tools"
cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=packaging/windows/mingw-w64-x86_64.cmake \
  -DNUV_BUILD_TOOLS="$(realpath "$tools")" "$@"
cmake --build build-windows -j "$(nproc)"
