#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing the viewer need, if any are
# missing. Needs root, or sudo.
set -euo pipefail

packages=(
  cmake make g++ clang pkg-config
  libsdl2-dev libcairo2-dev libwayland-dev
  libdecor-0-plugin-1-cairo
  libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
  xvfb xdotool imagemagick x11-utils libx11-dev weston
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "error: root or sudo is needed to install ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
