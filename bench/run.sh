#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the benchmarks and runs them all under Xvfb, then prints the figures as a table.
# Never part of the test run. Takes about four minutes (the first run also makes the
# benchmark pictures, about 600 MB, once, in BUILD_DIR/bench/pictures).
#
# usage: bench/run.sh [BUILD_DIR]   (default: build; configured as Release if new)
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath -m "${1:-$repo/build}")
bin=$build/bench/bin

if [ -z "${KAVIMO_BENCH_INSIDE:-}" ]; then
  [ -f "$build/CMakeCache.txt" ] || cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build" --target benchmarks -j"$(nproc)" >/dev/null
  exec env KAVIMO_BENCH_INSIDE=1 xvfb-run -a -s "-screen 0 1280x1024x24" "$0" "$build"
fi

runtime=$(mktemp -d)
log=$build/bench/run.log
: >"$log"
trap 'rm -rf "$runtime"' EXIT
export XDG_RUNTIME_DIR=$runtime
results=()

# run LABEL PROGRAM ARGS...: keeps the program's RESULT line, its other output goes to the log.
run() {
  local label=$1
  shift
  echo "running $label..." >&2
  local out
  if ! out=$("$@" 2>>"$log"); then
    echo "$label failed; see $log" >&2
    exit 1
  fi
  echo "$out" >>"$log"
  results+=("$label $(grep '^RESULT' <<<"$out")")
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
run startup "$bin/bench_startup" 15
run startup-dummy env SDL_AUDIODRIVER=dummy "$bin/bench_startup" 15
run waiting "$bin/bench_waiting" 10
for kind in small baseline progressive png; do
  run "deal-$kind-straight" "$bin/bench_deal" "$kind" straight
  run "deal-$kind-shown" "$bin/bench_deal" "$kind" shown
done
run endurance "$bin/bench_endurance" 200
# Start-up with a camera photo without a thumbnail as the first set's preview: the probes
# copied into an application folder whose Data is the deal's 4000 x 3000 baseline JPEGs.
photo_app=$runtime/photo-app
mkdir -p "$photo_app"
cp "$bin"/bench_startup "$bin"/bench_startup_game "$bin"/bench_startup_empty "$bin"/bench_startup_caption "$photo_app/"
ln -s "$build/bench/pictures/baseline/Data" "$photo_app/Data"
run startup-photo env SDL_AUDIODRIVER=dummy "$photo_app/bench_startup" 15
# The same two with a session bus, as every desktop has: there Qt's accessibility bridge,
# which a window's first disabled control starts, connects at once instead of trying to
# start a bus of its own (dbus-launch) first.
run startup-session dbus-run-session -- env SDL_AUDIODRIVER=dummy "$bin/bench_startup" 15
run startup-photo-session dbus-run-session -- env SDL_AUDIODRIVER=dummy "$photo_app/bench_startup" 15
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# field NAME LINE: the value of NAME=... in a RESULT line.
field() { grep -o " $1=[^ ]*" <<<"$2" | cut -d= -f2; }
line() { printf '%s\n' "${results[@]}" | grep "^$1 "; }
yes_no() { awk -v v="$1" -v g="$2" 'BEGIN { print (v + 0 <= g + 0) ? "yes" : "no" }'; }

echo
echo "Machine: $(lscpu | sed -n 's/^Model name: *//p'), $(nproc) cores, $(free -g | awk '/^Mem:/ { print $2 }') GB;" \
  "$(date -u '+%Y-%m-%d %H:%M UTC'); load average $load_before before, $load_after after"
echo
echo "| figure | measured: median (min-max) | goal | met |"
echo "|---|---|---|---|"
for variant in startup startup-dummy startup-photo startup-session startup-photo-session; do
  l=$(line "$variant")
  note="no sound device, SDL falls back to its dummy driver"
  goal=1.20
  [ "$variant" = startup-dummy ] && note="SDL_AUDIODRIVER=dummy"
  [ "$variant" = startup-photo ] && { note="first preview a 4000 x 3000 JPEG without a thumbnail"; goal=1.30; }
  [ "$variant" = startup-session ] && note="SDL_AUDIODRIVER=dummy, a session bus"
  [ "$variant" = startup-photo-session ] && {
    note="first preview a 4000 x 3000 JPEG without a thumbnail, a session bus"
    goal=1.30
  }
  r=$(field ratio "$l")
  echo "| start-up to first paint ($note): Kavimo / empty Qt window" \
    "| $(field game_ms "$l") ms ($(field game_min "$l")-$(field game_max "$l")) /" \
    "$(field empty_ms "$l") ms ($(field empty_min "$l")-$(field empty_max "$l")) = $(printf '%.2f' "$r")" \
    "| <= $goal | $(yes_no "$r" $goal) |"
  c=$(field caption_ratio "$l")
  echo "| start-up to first paint ($note): the empty window with the start button alone / empty Qt window" \
    "| $(field caption_ms "$l") ms ($(field caption_min "$l")-$(field caption_max "$l")) = $(printf '%.2f' "$c")" \
    "| - | - |"
  echo "| start-up until the first set's preview is painted too ($note)" \
    "| $(field preview_ms "$l") ms ($(field preview_min "$l")-$(field preview_max "$l")) | - | - |"
  extra=$(awk -v a="$(field game_mb "$l")" -v b="$(field empty_mb "$l")" 'BEGIN { printf "%.1f", a - b }')
  echo "| start-up peak memory ($note): Kavimo - empty Qt window" \
    "| $(field game_mb "$l") - $(field empty_mb "$l") = +$extra MB | <= +15 MB | $(yes_no "$extra" 15) |"
done
declare -A goal_ms=([small]=100 [baseline]=50 [progressive]=150 [png]=150)
declare -A title=([small]="120 x 120 JPEGs" [baseline]="4000 x 3000 baseline JPEGs"
  [progressive]="4000 x 3000 progressive JPEGs" [png]="4000 x 3000 PNGs")
for kind in small baseline progressive png; do
  for moment in straight shown; do
    l=$(line "deal-$kind-$moment")
    when="straight after selecting the set"
    [ "$moment" = shown ] && when="after the set has been shown 3 s"
    g="< ${goal_ms[$kind]} ms"
    met=$(yes_no "$(field median_ms "$l")" "${goal_ms[$kind]}")
    if [ "$kind" = baseline ]; then
      g="$g, < 100 MB"
      [ "$(yes_no "$(field peak_mb "$l")" 100)" = yes ] || met=no
    fi
    [ "$kind" = small ] && { g="-"; met="-"; }
    echo "| deal of 21 pairs of ${title[$kind]}, $when" \
      "| $(field median_ms "$l") ms ($(field min_ms "$l")-$(field max_ms "$l")), peak $(field peak_mb "$l") MB" \
      "| $g | $met |"
  done
done
l=$(line waiting)
echo "| CPU while waiting for a click (10 s) | $(field idle_ms_per_s "$l") ms/s | < 10 ms/s |" \
  "$(yes_no "$(field idle_ms_per_s "$l")" 10) |"
echo "| CPU while waiting on, once the sound device has been closed (10 s) |" \
  "$(field rested_ms_per_s "$l") ms/s | < 10 ms/s | $(yes_no "$(field rested_ms_per_s "$l")" 10) |"
echo "| CPU during the 1 s pause of a found pair | $(field pause_ms_per_s "$l") ms/s | < 10 ms/s |" \
  "$(yes_no "$(field pause_ms_per_s "$l")" 10) |"
l=$(line endurance)
echo "| resident memory after 1 deal / after 200 deals and 2,000 sounds" \
  "| $(field rss1_mb "$l") / $(field rssN_mb "$l") MB (growth $(field growth_mb "$l") MB) | growth <= 2 MB |" \
  "$(yes_no "$(field growth_mb "$l")" 2) |"
echo
echo "Each program's own report: $log"
