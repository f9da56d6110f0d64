#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Draws the menu icons of the game and of the set maker, at every size the hicolor theme
# is asked for, with the program that draws the sample pictures. The results are committed.
#
# usage: packaging/make-icons.sh [OUT_DIR]   (default: packaging/icons)
# Needs g++, pkg-config, qt6-base-dev and fonts-noto-color-emoji.
set -euo pipefail
export LC_ALL=C.UTF-8

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
out=${1:-$here/icons}
sizes=(16 22 32 48 64 128 256)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen

# shellcheck disable=SC2046  # pkg-config's flags must split into words
g++ -std=c++20 -O2 -Wall -Wextra -fPIC $(pkg-config --cflags Qt6Gui) \
  "$repo/tools/sample-data/draw_pictures.cpp" -o "$work/draw_pictures" $(pkg-config --libs Qt6Gui)

for side in "${sizes[@]}"; do
  mkdir -p "$out/${side}x${side}"
  printf 'icon\t%s\t%s\n' "$side" "$out/${side}x${side}/org.kavimo.kavimo.png"
  printf 'maker-icon\t%s\t%s\n' "$side" "$out/${side}x${side}/org.kavimo.setmaker.png"
done | "$work/draw_pictures"
echo "icons written to $out"
