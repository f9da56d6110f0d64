#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures a build folder for this source folder, starting it afresh when it belongs to
# another one (the repository was moved or copied with its build folders), since CMake
# refuses a cache made for another source folder.
#
#   scripts/configure.sh BUILD_DIR [cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
cache=$build/CMakeCache.txt
if [ -f "$cache" ]; then
  home=$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$cache")
  if [ "$home" != "$PWD" ]; then
    echo "$build was configured for ${home:-another folder}; configuring it afresh for $PWD"
    rm -rf "$cache" "$build/CMakeFiles"
  fi
fi
exec cmake -S . -B "$build" "$@"
