#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the game on the X display in $DISPLAY, waits for its window, optionally clicks
# through it, saves a screenshot, and checks that the sound module was loaded and the
# greeting was played. Run it under xvfb-run: the window then stands at 0,0 with no frame.
#
# usage: packaging/shoot.sh PROGRAM SHOT.png [CLICK...]
#   CLICK: next (">>"), previous ("<<"), start ("スタート") or first (the first card),
#          done in this order
# Exits non-zero when the window does not appear or the sound module is not loaded.
set -euo pipefail

program=$1 shot=$2
shift 2

work=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

# SDL's disk driver writes what would be heard to a file: proof that the greeting played.
export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
"$program" >"$work/out.log" 2>&1 &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kavimo$' | head -n 1) || {
  echo "shoot: no window from $program" >&2
  cat "$work/out.log" >&2
  exit 1
}
sleep 1  # the search returns at mapping, before the first paint

# Button centres in window pixels (the window's layout is fixed).
for click in "$@"; do
  case "$click" in
    previous) xdotool mousemove --window "$window" 460 484 click 1 ;;
    next) xdotool mousemove --window "$window" 508 484 click 1 ;;
    start) xdotool mousemove --window "$window" 104 480 click 1 ;;
    first) xdotool mousemove --window "$window" 66 74 click 1 ;;
    *) echo "shoot: unknown click $click" >&2; exit 2 ;;
  esac
  sleep 1
done
xdotool mousemove --window "$window" 530 10  # keep the pointer off the cards
sleep 0.3
import -window "$window" "$shot"

# The module is loaded by a thread of its own after the first paint: give it a moment.
for _ in $(seq 50); do
  grep -q '/kavimo_sound\.so$' "/proc/$pid/maps" && break
  sleep 0.2
done
# The path is the sixth field of a maps line and may itself hold spaces.
module=$(awk '/\/kavimo_sound\.so$/ { for (i = 0; i < 5; i++) sub(/^[^ ]+ +/, ""); print; exit }' "/proc/$pid/maps")
[ -n "$module" ] || {
  echo "shoot: $program did not load kavimo_sound.so" >&2
  exit 1
}
for _ in $(seq 50); do
  [ -s "$work/audio.raw" ] && break
  sleep 0.2
done
[ -s "$work/audio.raw" ] || { echo "shoot: no sound was played" >&2; exit 1; }
echo "shoot: window $window painted, $module loaded, $(stat -c %s "$work/audio.raw") bytes of sound played"
