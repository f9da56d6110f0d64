#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the screenshots that the AppStream metadata shows, from the real window under Xvfb,
# into docs/screenshots/: the first set chosen, and a game of the animal set with its first card picked.
#
# usage: scripts/screenshots.sh [PROGRAM]   (default: build/kavimo, built when missing)
set -euo pipefail
cd "$(dirname "$0")/.."
program=${1:-build/kavimo}
if [ "$program" = build/kavimo ] && [ ! -x build/kavimo ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build build -j"$(nproc)" --target kavimo kavimo_sound
fi
out=docs/screenshots
mkdir -p "$out"
xvfb-run -a packaging/shoot.sh "$program" "$out/kavimo-choose.png"
xvfb-run -a packaging/shoot.sh "$program" "$out/kavimo-play.png" next next start first
# No time stamps in the files, so taking them again changes nothing that did not change.
for shot in "$out"/kavimo-choose.png "$out"/kavimo-play.png; do
  mogrify -strip "$shot"
done
echo "screenshots written to $out"
