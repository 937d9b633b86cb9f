#!/bin/sh
# Makes the Wine prefix the Windows program's tests run in, once for the whole run, with no
# display (so that Wine shows no dialog while it sets the prefix up).
#   make_wine_prefix.sh WINE WINESERVER PREFIX
set -eu
wine=$1 wineserver=$2 prefix=$3
rm -rf "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
env -u DISPLAY -u WAYLAND_DISPLAY "$wine" wineboot --init
"$wineserver" --wait
