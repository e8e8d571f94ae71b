#!/bin/bash
# Checks the Debian package as a user and the desktop will meet it:
#   check_package.sh PACKAGE.deb BUILD_DIR
# - its control data (name, version, computed dependencies) and its files
#   (program, launcher, icons at every size, AppStream entry, manual page);
# - the launcher and the AppStream entry pass their validators;
# - the program extracted from it prints its version and its usage without a display;
# - "cmake --install BUILD_DIR --prefix P" puts the same files under P.
set -uo pipefail
. "$(dirname "$0")/../integration/lib.sh"
deb=$1 build=$2
[[ -f $deb ]] || { fail "no package at $deb"; finish; }
T=$(mktemp -d /tmp/tarvik-package.XXXXXX)
trap 'rm -rf "$T"' EXIT

version=$(sed -n 's/^project(tarvik VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
info=$(dpkg-deb --info "$deb")
expect_eq "package name" "tarvik" "$(dpkg-deb --field "$deb" Package)"
expect_eq "package version" "$version" "$(dpkg-deb --field "$deb" Version)"
depends=$(dpkg-deb --field "$deb" Depends)
check "dependencies computed from the program: $depends" grep -q 'libqt6widgets6' <<<"$depends"
check "dependencies name the C library" grep -q 'libc6' <<<"$depends"
check "a description" grep -q '^ Description: ' <<<"$info"

contents=$(dpkg-deb --contents "$deb" | awk '{print $NF}' | sed 's#^\./#/#')
expected=(
  /usr/bin/tarvik
  /usr/share/applications/tarvik.desktop
  /usr/share/metainfo/org.tarvik.tarvik.metainfo.xml
  /usr/share/man/man1/tarvik.1.gz
  /usr/share/icons/hicolor/scalable/apps/tarvik.svg
  /usr/share/doc/tarvik/copyright
  /usr/share/doc/tarvik/changelog.gz
)
for s in 16 22 24 32 48 64 128 256; do expected+=("/usr/share/icons/hicolor/${s}x${s}/apps/tarvik.png"); done
for f in "${expected[@]}"; do
  check "the package holds $f" grep -qxF "$f" <<<"$contents"
done

dpkg-deb -x "$deb" "$T/root"
R=$T/root
check "launcher accepted by desktop-file-validate" desktop-file-validate "$R/usr/share/applications/tarvik.desktop"
check "AppStream entry accepted by appstreamcli" appstreamcli validate --no-net "$R/usr/share/metainfo/org.tarvik.tarvik.metainfo.xml"
desktop=$(cat "$R/usr/share/applications/tarvik.desktop")
for l in Exec=tarvik Icon=tarvik Terminal=false 'Categories=System;Monitor;'; do
  check "launcher line $l" grep -qxF "$l" <<<"$desktop"
done
for s in 16 22 24 32 48 64 128 256; do
  size=$(file -b "$R/usr/share/icons/hicolor/${s}x${s}/apps/tarvik.png" | grep -o '[0-9]* x [0-9]*')
  expect_eq "icon ${s}x${s} is a PNG of that size" "$s x $s" "$size"
done
man=$(gzip -dc "$R/usr/share/man/man1/tarvik.1.gz")
for section in OPTIONS FILES PRIVACY; do check "manual page section $section" grep -q "^\.SH $section" <<<"$man"; done
check "manual page carries the version" grep -q "tarvik $version" <<<"$man"

# The extracted program, without any display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$R/usr/bin/tarvik" --version 2>&1); code=$?
expect_eq "extracted tarvik --version exits" 0 "$code"
expect_eq "extracted tarvik --version" "tarvik $version" "$out"
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$R/usr/bin/tarvik" --help 2>&1); code=$?
expect_eq "extracted tarvik --help exits" 0 "$code"
check "the usage names the options" grep -q -- '--version' <<<"$out"
check "the usage says where the settings live" grep -q 'tarvik/tarvik.ini' <<<"$out"
check "the usage says where the log lives" grep -q 'err.log' <<<"$out"

# The install rules put the same files under any prefix.
if cmake --install "$build" --prefix "$T/prefix" >"$T/install.log" 2>&1; then
  for f in "${expected[@]}"; do
    check "cmake --install puts ${f#/usr/} under the prefix" test -f "$T/prefix/${f#/usr/}"
  done
else
  fail "cmake --install"; cat "$T/install.log" >&2
fi
finish
