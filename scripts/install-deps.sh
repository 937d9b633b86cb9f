#!/usr/bin/env bash
# Installs the Debian packages a set of tasks needs, if any are missing. Needs root, or sudo.
#   scripts/install-deps.sh run      build and run the viewer
#   scripts/install-deps.sh package  also build its Debian package
#   scripts/install-deps.sh windows  also build it for Windows
#   scripts/install-deps.sh web      also build it as a web page
#   scripts/install-deps.sh test     also test, fuzz and benchmark it, on Windows and in a browser
set -euo pipefail

run_packages=(
  cmake make g++ pkg-config libcairo2-dev zlib1g-dev
  libxcb1-dev libxcb-shm0-dev libxcb-xkb-dev libxcb-xinput-dev libxkbcommon-dev libxkbcommon-x11-dev  # X11
  libwayland-dev libdecor-0-dev libdecor-0-plugin-1-cairo  # Wayland, and its title bars
  wayland-protocols  # the fractional scale protocol's description
)
package_packages=("${run_packages[@]}" dpkg-dev file)
windows_packages=("${run_packages[@]}" g++-mingw-w64-x86-64-posix libz-mingw-w64-dev)
web_packages=("${run_packages[@]}" emscripten binaryen)
web_test_packages=(chromium nodejs npm)  # the page in a browser, driven from Node
test_packages=(
  "${package_packages[@]}"
  g++-mingw-w64-x86-64-posix libz-mingw-w64-dev wine64  # the Windows build, run under Wine
  clang libclang-rt-14-dev llvm          # the fuzzer and its symbolizer
  libgtest-dev libgmock-dev libbenchmark-dev libpng-dev libgif-dev  # these two read exports back
  # The real window: xrdb sets Xft.dpi, setxkbmap switches the keyboard's layout.
  xvfb xdotool imagemagick x11-utils x11-xserver-utils x11-xkb-utils libx11-dev weston
  xsettingsd  # a settings manager whose Xft/DPI changes while the viewer runs
  sway grim   # a compositor whose output's scale changes while the viewer runs, and its screenshots
  openbox fluxbox icewm  # window managers for the real window, as on a desktop
  lintian appstream desktop-file-utils  # the package's checks
  emscripten binaryen "${web_test_packages[@]}"
)

case "${1:-}" in
  run) packages=("${run_packages[@]}") ;;
  package) packages=("${package_packages[@]}") ;;
  windows) packages=("${windows_packages[@]}") ;;
  web) packages=("${web_packages[@]}") ;;
  test) packages=("${test_packages[@]}") ;;
  *) echo "usage: $0 run|package|windows|web|test" >&2; exit 2 ;;
esac

# A package is there when Debian has installed it; npm also when a Node.js from elsewhere brought
# its own, which Debian's would conflict with.
installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "ok installed" ||
    { [ "$1" = npm ] && command -v npm >/dev/null; }
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
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
