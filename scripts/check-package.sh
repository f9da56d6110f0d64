#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the Debian package and the portable archive, checks them, and starts the game from
# each under Xvfb. Nothing is installed into the machine: the package is unpacked into a
# scratch folder with dpkg-deb -x.
#
# usage: scripts/check-package.sh [BUILD_DIR]   (default: build; configured when missing)
# Checks: lintian finds no error; the menu entries and the AppStream metadata validate; the
# unpacked /usr/games/kavimo reaches its first paint with the first shipped set's title and
# preview shown, loads kavimo_sound.so from /usr/lib/kavimo and plays the greeting; the
# portable archive, unpacked into a folder whose path has a space and Japanese letters,
# deals a set.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "check-package: $*" >&2
  exit 1
}

# region_drawn SHOT GEOMETRY WHAT: something is drawn there (not one flat colour).
region_drawn() {
  local spread
  spread=$(convert "$1" -crop "$2" +repage -colorspace gray -format '%[fx:standard_deviation]' info:)
  awk -v s="$spread" 'BEGIN { exit !(s > 0.03) }' || fail "$3 is blank in $1 (spread $spread)"
}

if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
fi
cmake --build "$build" -j"$(nproc)" --target package >"$work/package.log" 2>&1 ||
  { cat "$work/package.log" >&2; fail "making the packages failed"; }
debs=("$build"/packages/kavimo_*.deb)
tars=("$build"/packages/kavimo-*-portable-*.tar.gz)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one .deb in $build/packages"
[ ${#tars[@]} -eq 1 ] && [ -f "${tars[0]}" ] || fail "expected one portable archive in $build/packages"
deb=${debs[0]} tarball=${tars[0]}
echo "check-package: made $deb and $tarball"

# --- the Debian package -------------------------------------------------------------
lintian --allow-root --fail-on error --suppress-tags initial-upload-closes-no-bugs "$deb" ||
  fail "lintian found errors in $deb"

root=$work/root
dpkg-deb -x "$deb" "$root"
desktop-file-validate "$root"/usr/share/applications/*.desktop
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml
[ "$(readlink "$root/usr/lib/kavimo/Data")" = ../../share/kavimo/Data ] ||
  fail "usr/lib/kavimo/Data is not a link to ../../share/kavimo/Data"
ls "$root"/usr/share/kavimo/Data/*.dat >/dev/null || fail "no set in usr/share/kavimo/Data"
zgrep -q '^\[File\]$' "$root/usr/share/doc/kavimo/README.md.gz" ||
  fail "usr/share/doc/kavimo/README.md.gz does not say how a set file is written"
! zgrep -q '^## Speed and memory' "$root/usr/share/doc/kavimo/README.md.gz" ||
  fail "usr/share/doc/kavimo/README.md.gz holds the developers' sections"
[ -f "$root/usr/share/doc/kavimo/docs/maker-window.png" ] ||
  fail "the picture of the set maker that the README names is not in usr/share/doc/kavimo/docs"

shot=$work/deb.png
report=$(xvfb-run -a packaging/shoot.sh "$root/usr/games/kavimo" "$shot")
echo "$report"
case "$report" in
  *" $root/usr/lib/kavimo/kavimo_sound.so loaded"*) ;;
  *) fail "the sound module was not loaded from the unpacked package" ;;
esac
# The set browser at the bottom right: the preview picture and the set's title.
region_drawn "$shot" 49x49+216+459 "the first set's preview"
region_drawn "$shot" 100x25+270+472 "the first set's title"

# --- the portable archive -----------------------------------------------------------
folder="$work/おもちゃ箱 games"
mkdir -p "$folder"
tar -xzf "$tarball" -C "$folder"
top=("$folder"/kavimo-*)
[ -d "${top[0]}/Data" ] && [ ! -L "${top[0]}/Data" ] || fail "the portable Data is not a real folder"
[ -w "${top[0]}/Data" ] || fail "the portable Data folder is not writable"
grep -q '^\[File\]$' "${top[0]}/README.md" && ! grep -q '^## Speed and memory' "${top[0]}/README.md" &&
  [ -f "${top[0]}/docs/maker-window.png" ] || fail "the portable README is not the families' part with its picture"
shot=$work/portable.png
xvfb-run -a packaging/shoot.sh "${top[0]}/kavimo" "$shot" start
region_drawn "$shot" 60x60+18+26 "the first card after the deal"
echo "check-package: both packages start and play"
