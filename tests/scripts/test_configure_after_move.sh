#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A source folder moved together with its build folder configures again: scripts/configure.sh
# starts the build folder afresh instead of failing on CMake's cache of the old place.
#   test_configure_after_move.sh REPO
set -euo pipefail
repo=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$tmp/a/scripts"
cp "$repo/scripts/configure.sh" "$tmp/a/scripts/"
printf 'cmake_minimum_required(VERSION 3.25)\nproject(moved NONE)\n' >"$tmp/a/CMakeLists.txt"
"$tmp/a/scripts/configure.sh" build >/dev/null
mv "$tmp/a" "$tmp/b"
if cmake -S "$tmp/b" -B "$tmp/b/build" >/dev/null 2>&1; then
  echo "CMake itself accepted the moved build folder: this test proves nothing" >&2
  exit 1
fi
"$tmp/b/scripts/configure.sh" build >/dev/null
grep -qx "CMAKE_HOME_DIRECTORY:INTERNAL=$tmp/b" "$tmp/b/build/CMakeCache.txt"
echo "moved build folder configured afresh"
