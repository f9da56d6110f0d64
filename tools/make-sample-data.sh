#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the sample data that ships in Data/: the sets listed in tools/sample-data/sets.tsv
# with their pictures and spoken names, the fixed sounds, the closing picture, and the
# window icon. The same inputs give the same bytes, so the output can be committed.
#
# usage: tools/make-sample-data.sh [DATA_DIR [ICON_FILE]]
#   DATA_DIR   where the data goes (default: the repository's Data/)
#   ICON_FILE  where the 32 x 32 window icon goes (default: src/shell/kavimo.png)
#
# Needs g++, pkg-config, Qt 6 (qt6-base-dev), fonts-noto-color-emoji, espeak-ng, sox and
# iconv. The game itself needs none of them.
set -euo pipefail
export LC_ALL=C.UTF-8

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(dirname "$here")
source_dir=$here/sample-data
data_dir=${1:-$repo/Data}
icon_file=${2:-$repo/src/shell/kavimo.png}

die() {
  echo "make-sample-data: $*" >&2
  exit 1
}

for tool in g++ pkg-config espeak-ng sox iconv; do
  command -v "$tool" >/dev/null || die "$tool is missing (see scripts/install-deps.sh)"
done
pkg-config --exists Qt6Gui || die "Qt 6 is missing (qt6-base-dev)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
stage=$work/Data
mkdir -p "$stage"
export XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen

# --- the drawing program -------------------------------------------------------------
# shellcheck disable=SC2046  # pkg-config's flags must split into words
g++ -std=c++20 -O2 -Wall -Wextra -fPIC $(pkg-config --cflags Qt6Gui) \
  "$source_dir/draw_pictures.cpp" -o "$work/draw_pictures" $(pkg-config --libs Qt6Gui)

# --- sounds --------------------------------------------------------------------------
# -R and -D keep sox from seeding anything from the clock, so the bytes repeat.
sox_out=(sox -R -D -V1)
voice=(espeak-ng -v ja+f3 -s 140 -p 60)
pair_rate=11025

# speak WORD OUT RATE: the word in Japanese, silence trimmed, mono 16-bit at RATE.
speak() {
  "${voice[@]}" -w "$work/voice.wav" "$1"
  "${sox_out[@]}" "$work/voice.wav" -r "$3" -c 1 -b 16 "$2" \
    silence 1 0.02 0.3% reverse silence 1 0.02 0.3% reverse \
    gain -n -1 pad 0.02 0.06
}

# bell OUT RATE SECONDS FREQUENCY: one soft bell-like note (a tone and its octave).
bell() {
  local octave
  octave=$(awk -v f="$4" 'BEGIN { printf "%.2f", 2 * f }')
  "${sox_out[@]}" -n -r "$2" -c 1 -b 16 "$1" \
    synth "$3" sine "$4" synth "$3" sine mix "$octave" \
    fade q 0.005 "$3" "$(awk -v s="$3" 'BEGIN { print s * 0.85 }')" gain -n -6
}

# melody OUT RATE SECONDS FREQUENCY...: bells one after another, the last one held longer.
melody() {
  local out=$1 rate=$2 seconds=$3 i=0 notes=()
  shift 3
  for frequency in "$@"; do
    i=$((i + 1))
    [ "$i" -eq "$#" ] && seconds=$(awk -v s="$seconds" 'BEGIN { print s * 2.5 }')
    bell "$work/note$i.wav" "$rate" "$seconds" "$frequency"
    notes+=("$work/note$i.wav")
  done
  "${sox_out[@]}" "${notes[@]}" "$out"
}

# join OUT IN...: the inputs one after another, normalised.
join() {
  local out=$1
  shift
  "${sox_out[@]}" "$@" "$work/joined.wav"
  "${sox_out[@]}" "$work/joined.wav" "$out" gain -n -1
}

# gong OUT RATE: inharmonic partials, the higher ones dying away sooner.
gong() {
  local partials=() i=0
  while read -r frequency seconds; do
    i=$((i + 1))
    "${sox_out[@]}" -n -r "$2" -c 1 -b 16 "$work/partial$i.wav" \
      synth "$seconds" sine "$frequency" fade l 0.004 "$seconds" "$seconds"
    partials+=("$work/partial$i.wav")
  done <<'EOF'
130.8 1.8
192.3 1.5
273.4 1.2
334.9 1.0
392.4 0.8
440.8 0.6
EOF
  "${sox_out[@]}" -m "${partials[@]}" "$work/gong.wav"
  "${sox_out[@]}" "$work/gong.wav" "$1" tremolo 4.5 25 gain -n -1
}

# Frequencies of the notes used by the jingles.
G4=392.00 C5=523.25 E5=659.26 G5=783.99 C6=1046.50

make_fixed_sounds() {
  melody "$work/hello.wav" 22050 0.11 $C5 $E5 $G5
  speak "あそぼう" "$work/asobou.wav" 22050
  join "$stage/Asonde00@22.wav" "$work/hello.wav" "$work/asobou.wav"

  melody "$work/rise.wav" 8000 0.09 $G4 $C5
  speak "はじめ" "$work/hajime.wav" 8000
  join "$stage/HajimeA@08.wav" "$work/rise.wav" "$work/hajime.wav"

  "${sox_out[@]}" -n -r 22050 -c 1 -b 16 "$stage/puu002@22.wav" \
    synth 0.45 square 200-170 lowpass 900 fade h 0.03 0.45 0.2 gain -n -3

  gong "$stage/GongC@08.wav" 8000

  melody "$work/fanfare.wav" 11025 0.1 $G4 $C5 $E5 $G5 $C6
  speak "おめでとう" "$work/omedetou.wav" 11025
  join "$stage/Omedeto00@11.wav" "$work/fanfare.wav" "$work/omedetou.wav"

  speak "バイバイ" "$stage/Icq01@11.wav" 11025
}

# --- sets ----------------------------------------------------------------------------
jobs=$work/jobs.tsv
: >"$jobs"
title='' disk_folder='' written_folder='' side='' name_case='' pairs=0
pictures=() sounds=()

# written NAME EXTENSION: a file name as the set file writes it.
written() {
  if [ "$name_case" = upper ]; then
    local name="$1.$2"
    echo "${name^^}"
  else
    echo "$1.$2"
  fi
}

# Writes the set file collected so far: Shift_JIS (code page 932), CR LF line ends.
finish_set() {
  [ -n "$title" ] || return 0
  if [ "$pairs" -lt 1 ] || [ "$pairs" -gt 21 ]; then
    die "set $title: $pairs pairs, the board holds 1 to 21"
  fi
  # A card shows its picture unscaled, so the picture must be drawn at the grid's card size.
  if { [ "$pairs" -eq 21 ] && [ "$side" -ne 63 ]; } || { [ "$pairs" -ne 21 ] && [ "$side" -ne 99 ]; }; then
    die "set $title: $pairs pairs are dealt on cards of $([ "$pairs" -eq 21 ] && echo 63 || echo 99) pixels"
  fi
  {
    printf '[File]\r\n%d\r\n' "$pairs"
    printf '[Picture]\r\n'
    printf '%s\r\n' "${pictures[@]}"
    printf '[Sound]\r\n'
    printf '%s\r\n' "${sounds[@]}"
  } | iconv -f UTF-8 -t CP932 >"$stage/$title.dat"
}

read_sets() {
  local kind a b c d e
  while IFS=$'\t' read -r kind a b c d e; do
    case "$kind" in
      '' | '#'*) ;;
      set)
        finish_set
        title=$a disk_folder=$b written_folder=$c side=$d name_case=$e pairs=0
        pictures=() sounds=()
        case "$side" in 63 | 99) ;; *) die "set $title: card side $side is neither 63 nor 99" ;; esac
        case "$name_case" in same | upper) ;; *) die "set $title: name case '$name_case'" ;; esac
        mkdir -p "$stage/$disk_folder"
        ;;
      pair)
        [ -n "$title" ] || die "pair $a comes before any set"
        local stem=$a picture_kind=$b picture=$c word=$d
        printf 'picture\t%s\t%s\t%s\t%s\t%s\n' "$side" "$pairs" "$picture_kind" "$picture" \
          "$stage/$disk_folder/$stem.jpg" >>"$jobs"
        speak "$word" "$stage/$disk_folder/$stem.wav" "$pair_rate"
        pictures+=("Data\\$written_folder\\$(written "$stem" jpg)")
        sounds+=("Data\\$written_folder\\$(written "$stem" wav)")
        pairs=$((pairs + 1))
        ;;
      *) die "unknown line kind '$kind' in sets.tsv" ;;
    esac
  done <"$source_dir/sets.tsv"
  finish_set
}

read_sets
make_fixed_sounds
printf 'sea\t%s\n' "$stage/sea.jpg" >>"$jobs"
printf 'icon\t%s\n' "$work/kavimo.png" >>"$jobs"
"$work/draw_pictures" <"$jobs"

# --- install -------------------------------------------------------------------------
# Replaces only what this script makes, so nothing else in DATA_DIR is touched.
mkdir -p "$data_dir" "$(dirname "$icon_file")"
for made in "$stage"/*; do
  rm -rf "${data_dir:?}/$(basename "$made")"
  cp -R "$made" "$data_dir/"
done
cp "$work/kavimo.png" "$icon_file"
echo "sample data written to $data_dir, icon to $icon_file"
