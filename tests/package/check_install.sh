#!/usr/bin/env bash
# Installs without a package as the README says, after building the viewer alone, and uninstalls
# again: every file in place and the program stripped, then nothing left of either.
# Usage: check_install.sh BUILD_DIR APP_ID
set -euo pipefail
build=$1 app_id=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# What the install takes that building the viewer alone must make too.
rm -f "$build/desktop/nuv.1.gz" "$build/desktop/changelog.gz"
cmake --build "$build" --target nuv >"$work/build.log" 2>&1 || { cat "$work/build.log"; fail "build"; }
prefix="$work/home/.local"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1 ||
  { cat "$work/install.log"; fail "install"; }
for path in bin/nuv share/man/man1/nuv.1.gz share/applications/$app_id.desktop \
  share/icons/hicolor/scalable/apps/$app_id.svg share/doc/nuv/changelog.gz; do
  [ -f "$prefix/$path" ] || fail "the install lacks $path"
done
file "$prefix/bin/nuv" | grep -q ", stripped" || fail "the installed program is not stripped"

cmake --build "$build" --target uninstall >"$work/uninstall.log" 2>&1 ||
  { cat "$work/uninstall.log"; fail "uninstall"; }
left=$(cd "$work" && find . -mindepth 1 -not -name '*.log')
[ -z "$left" ] || fail "left after the uninstall: $left"
echo "install and uninstall: ok"
