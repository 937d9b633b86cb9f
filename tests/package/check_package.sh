#!/usr/bin/env bash
# Builds the Debian package from the build tree and checks it as a user's system would see it:
# its contents, the unpacked program, the desktop and AppStream entries, and lintian's verdict.
# Usage: check_package.sh BUILD_DIR VERSION APP_ID
set -euo pipefail
build=$1 version=$2 app_id=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/nuv_${version}_amd64.deb"
[ -f "$deb" ] || fail "no $deb"

dpkg-deb -c "$deb" | awk '{print $6}' | sed 's|^\./|/|' >"$work/contents"
expected=(/usr/bin/nuv /usr/share/applications/$app_id.desktop
  /usr/share/metainfo/$app_id.metainfo.xml /usr/share/man/man1/nuv.1.gz
  /usr/share/doc/nuv/copyright /usr/share/doc/nuv/changelog.gz
  /usr/share/icons/hicolor/scalable/apps/$app_id.svg)
for size in 16 32 48 64 128 256; do
  expected+=(/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png)
done
for path in "${expected[@]}"; do grep -qx "$path" "$work/contents" || fail "package lacks $path"; done

dpkg-deb -x "$deb" "$work/root"
answer=$("$work/root/usr/bin/nuv" --version)
[ "$answer" = "nuv $version" ] || fail "unpacked nuv --version says '$answer'"

desktop-file-validate "$work/root/usr/share/applications/$app_id.desktop"
appstreamcli validate --no-net "$work/root/usr/share/metainfo/$app_id.metainfo.xml"
grep -q "<release version=\"$version\"" "$work/root/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "the metainfo's releases do not list $version"
changelog_version=$(zcat "$work/root/usr/share/doc/nuv/changelog.gz" | head -1 | sed 's/.*(\(.*\)).*/\1/')
[ "$changelog_version" = "$version" ] || fail "the changelog's newest entry is $changelog_version"

# Errors fail the package; warnings and notes are printed for the reader.
lintian --no-tag-display-limit "$deb" 2>/dev/null | tee "$work/lintian" || true
! grep -q '^E:' "$work/lintian" || fail "lintian reports errors"
echo "package $deb: $(stat -c %s "$deb") bytes, checked"
