#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A whole game of the real program under Xvfb, seen and heard as a player would.
#
# A fresh application folder holds a copy of kavimo with its sound module and a Data folder
# made here: one set of three pairs whose pictures are solid colours and whose sounds are
# square waves, each sound with a level of its own, so that the recording of SDL's disk
# audio driver tells which sound played when. The test presses "スタート", reads the deal
# from the colours at the cards' centres, makes one wrong pair, then finds the pairs in the
# order 2, 0, 1 and checks on screen that both cards of a found pair stay marked in red
# during the pause and are then removed. After the finish it closes the window with
# WM_DELETE_WINDOW and checks the closing picture, the order of every sound heard, and the
# exit status.
#
# Usage: test_game.sh <kavimo> <e2e source dir>
# The helper program e2e_probe is looked for in tests/e2e of the build folder that holds <kavimo>.
# KAVIMO_E2E_KEEP=1 keeps the work folder (screenshots, recording, the program's output).
set -euo pipefail

if (($# < 1)); then
    echo "usage: test_game.sh <kavimo> <e2e source dir>" >&2
    exit 2
fi
kavimo=$(realpath "$1")
helpers=$(dirname "$kavimo")/tests/e2e
probe=$helpers/e2e_probe

for program in "$kavimo" "$probe"; do
    if [[ ! -x $program ]]; then
        echo "FAIL: $program is missing (build the default target)" >&2
        exit 1
    fi
done
for tool in xvfb-run xauth xdotool import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "FAIL: $tool is not installed (scripts/install-deps.sh installs it)" >&2
        exit 1
    fi
done

# No window manager runs under xvfb-run: the window stands at 0,0 and the screenshots of it
# show its client area only.
if [[ -z ${KAVIMO_E2E_IN_XVFB:-} ]]; then
    # -noreset: the server signals xvfb-run at every reset (when its last client leaves),
    # and a signal that lands while xvfb-run cleans up makes it fail with status 5 and
    # leave the server running.
    KAVIMO_E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 800x600x24 -noreset" bash "$0" "$@"
fi

work=$(mktemp -d)
pid=
cleanup() {
    if [[ -n $pid ]] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    fi
    if [[ -n ${KAVIMO_E2E_KEEP:-} ]]; then
        echo "work folder kept: $work" >&2
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT

fail() {
    echo "FAIL: $*" >&2
    if [[ -s $work/kavimo.log ]]; then
        echo "--- kavimo's output:" >&2
        cat "$work/kavimo.log" >&2
    fi
    [[ -n ${KAVIMO_E2E_KEEP:-} ]] || echo "(KAVIMO_E2E_KEEP=1 keeps the screenshots)" >&2
    exit 1
}

# ---------------------------------------------------------------------------------------
# The application folder and its data.

app=$work/app
data=$app/Data
mkdir -p "$data" "$work/shots"
cp "$kavimo" "$app/kavimo"
cp "$(dirname "$kavimo")/kavimo_sound.so" "$app/"  # sound comes from the module beside the program

# Sound levels; a sound is known by its level in the recording.
declare -A level=(
    [Asonde00@22]=1000 [HajimeA@08]=2000 [puu002@22]=3000 [GongC@08]=4000
    [Omedeto00@11]=5000 [Icq01@11]=6000 [pair0]=7000 [pair1]=8000 [pair2]=9000
)
declare -A sound_name=()
for name in "${!level[@]}"; do
    sound_name[${level[$name]}]=$name
    "$probe" tone "$data/$name.wav" "${level[$name]}" 400 || fail "cannot write $name.wav"
done

# The pairs' pictures, larger than a card's inner area so that they fill it; none red, none
# grey like the window.
pair_colours=(0000FF 00A000 FFD700)
for p in 0 1 2; do
    convert -size 110x110 "xc:#${pair_colours[p]}" "png24:$data/picture$p.png" || fail "cannot write picture$p.png"
done
sea_colour=008080
sea_width=240
sea_height=180
convert -size ${sea_width}x${sea_height} "xc:#$sea_colour" -quality 95 "$data/sea.jpg" || fail "cannot write sea.jpg"

printf '%s\r\n' '[File]' 3 '[Picture]' 'Data\picture0.png' 'Data\picture1.png' 'Data\picture2.png' \
    '[Sound]' 'Data\pair0.wav' 'Data\pair1.wav' 'Data\pair2.wav' >"$data/colours.dat"

# ---------------------------------------------------------------------------------------
# Geometry of the window, in pixels (15 twips each, every value rounded on its own).

px() { echo $((($1 * 2 + 15) / 30)); }
readonly cards=6       # 3 pairs, dealt on the 5 x 4 grid of large cards
readonly grid_cards=20
readonly card_side=$(px 1550)
readonly border=2      # a card's sunken border
readonly frame_band=10 # the red frame's line, from 1 pixel inside the card's inner corner
readonly frame_side=97
card_left() { px $((240 + ($1 % 5) * 1560)); }
card_top() { px $((360 + ($1 / 5) * 1560)); }
point() { echo "$1,$2"; }
click_at() { xdotool mousemove --window "$window" "${1%,*}" "${1#*,}" click 1; }
card_centre() { point $(($(card_left "$1") + card_side / 2)) $(($(card_top "$1") + card_side / 2)); }
readonly start_button=$(point $(($(px 600) + $(px 1935) / 2)) $(($(px 6840) + $(px 735) / 2)))
readonly preview_centre=$(point $(($(px 3000) + $(px 240) + $(px 735) / 2)) $(($(px 6720) + $(px 160) + $(px 735) / 2)))
readonly red=FF0000

# Looked at on every screenshot: the background, the preview's centre, and for each card of
# the grid its centre, the middle of each side of its red frame and of its left border.
points=(0,0 "$preview_centre")
for ((k = 0; k < grid_cards; k++)); do
    x=$(($(card_left $k) + border))
    y=$(($(card_top $k) + border))
    near=$((1 + frame_band / 2))
    far=$((frame_side + 1 - frame_band / 2))
    mid=$((card_side / 2 - border))
    points+=("$(card_centre $k)" "$(point $((x + near)) $((y + mid)))" "$(point $((x + mid)) $((y + near)))"
        "$(point $((x + far)) $((y + mid)))" "$(point $((x + mid)) $((y + far)))" "$(point $((x - border)) $((y + mid)))")
done
readonly points_per_card=6

# ---------------------------------------------------------------------------------------
# Looking.

shot_count=0
shot=
# Takes a screenshot of the window into $shot.
take_shot() {
    shot_count=$((shot_count + 1))
    shot=$work/shots/$(printf '%03d' $shot_count)-$1.png
    local try
    for try in 1 2 3; do
        import -window "$window" "$shot" 2>/dev/null && return 0
        sleep 0.1
    done
    return 1
}

# Reads a new screenshot: $bg, $preview, and for each card of the grid its centre's colour
# and its state: absent (not on the board), blank, shows (its picture) or marked (red frame).
bg=
preview=
colour=()
state=()
read_board() {
    take_shot "$1" || return 1
    local c
    c=($("$probe" colours "$shot" "${points[@]}")) || return 1
    bg=${c[0]}
    preview=${c[1]}
    local k at
    for ((k = 0; k < grid_cards; k++)); do
        at=$((2 + k * points_per_card))
        colour[k]=${c[at]}
        if [[ ${c[at + 5]} == "$bg" ]]; then
            state[k]=absent
        elif [[ ${c[at]} == "$bg" ]]; then
            state[k]=blank
        elif [[ "${c[*]:at+1:4}" == "$red $red $red $red" ]]; then
            state[k]=marked
        else
            state[k]=shows
        fi
    done
}

# What the board should show: want[k] for the cards in play, the others absent; a card that
# shows or is marked shows its own pair's colour.
want=()
pair_of=()
board_is() {
    read_board "$1" || return 1
    local k
    for ((k = 0; k < grid_cards; k++)); do
        if ((k >= cards)); then
            [[ ${state[k]} == absent ]] || return 1
            continue
        fi
        [[ ${state[k]} == "${want[k]}" ]] || return 1
        if [[ ${want[k]} == shows || ${want[k]} == marked ]]; then
            [[ ${colour[k]} == "${pair_colours[pair_of[k]]}" ]] || return 1
        fi
    done
}
seen() {
    local k out=()
    for ((k = 0; k < cards; k++)); do out+=("$k:${state[k]}:${colour[k]}"); done
    echo "${out[*]}"
}
wait_board() {
    poll board_is "$1" || fail "$2: expected the cards \"${want[*]}\", seen \"$(seen)\" ($shot)"
}
want_all() { local k; want=(); for ((k = 0; k < cards; k++)); do want+=("$1"); done; }

# ---------------------------------------------------------------------------------------
# Listening.

# The sounds heard so far, by name, in order.
heard() {
    local lvl rest names=()
    while read -r lvl rest; do
        names+=("${sound_name[$lvl]:-unknown-level-$lvl}")
    done < <("$probe" sounds "$work/audio.raw" 2>/dev/null)
    echo "${names[*]}"
}
# The first sounds heard are "$@" (more may follow: the recording runs on).
heard_begins() {
    local now=" $(heard) "
    [[ $now == " $* "* ]]
}
expect_heard() {
    poll heard_begins "$@" || fail "expected the sounds \"$*\" first, heard \"$(heard)\""
}

running() { kill -0 "$pid" 2>/dev/null; }

# Polls until "$@" succeeds: up to 100 tries 0.1 s apart, generous for a busy machine.
poll() {
    local try
    for try in $(seq 100); do
        "$@" && return 0
        running || return 1
        sleep 0.1
    done
    return 1
}

# ---------------------------------------------------------------------------------------
# Start-up.

cd "$work"  # the start directory
export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
"$app/kavimo" >"$work/kavimo.log" 2>&1 &
pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kavimo$' | head -n 1) || true
[[ -n $window ]] || fail "no window named Kavimo appeared"
geometry=$(xdotool getwindowgeometry "$window" | sed -n 's/.*Geometry: *//p')
[[ $geometry == 538x517 ]] || fail "the window's client area is $geometry, not 538x517"

first_paint() { read_board start && [[ $preview == "${pair_colours[0]}" ]]; }
poll first_paint || fail "the first set's preview (pair 0's colour) never showed at $preview_centre ($shot)"
want_all blank
wait_board start "before the deal"
expect_heard Asonde00@22
[[ $(heard) == Asonde00@22 ]] || fail "before the deal only the opening cue should sound, heard \"$(heard)\""

# ---------------------------------------------------------------------------------------
# The deal.

click_at "$start_button"
dealt() {
    read_board deal || return 1
    local k
    for ((k = 0; k < cards; k++)); do
        [[ ${state[k]} == shows && " ${pair_colours[*]} " == *" ${colour[k]} "* ]] || return 1
    done
}
poll dealt || fail "the cards were never dealt after clicking スタート, seen \"$(seen)\" ($shot)"
cards_of_pair=("" "" "")
for ((k = 0; k < cards; k++)); do
    for p in 0 1 2; do
        if [[ ${colour[k]} == "${pair_colours[p]}" ]]; then
            pair_of[k]=$p
            cards_of_pair[p]+="$k "
        fi
    done
done
for p in 0 1 2; do
    read -ra two <<<"${cards_of_pair[p]}"
    ((${#two[@]} == 2)) || fail "pair $p's picture is on ${#two[@]} cards, not 2: \"$(seen)\" ($shot)"
done
want_all shows
board_is deal || fail "after the deal: expected the cards \"${want[*]}\", seen \"$(seen)\" ($shot)"
echo "dealt: the pair of each card ${pair_of[*]}"
expect_heard Asonde00@22 HajimeA@08

# ---------------------------------------------------------------------------------------
# One wrong pair: both marks go at once, both cards stay in play.

read -r a _ <<<"${cards_of_pair[0]}"
read -r b _ <<<"${cards_of_pair[1]}"
click_at "$(card_centre "$a")"
want[a]=marked
wait_board first-pick "the first pick (card $a)"
click_at "$(card_centre "$b")"
want[a]=shows
wait_board mismatch "after the wrong pair (cards $a and $b)"
# Three bells of the sound theme, heard one by one.
bells() { "$probe" bursts "$work/audio.raw" 2>/dev/null | awk '{ print $1 }' | xargs; }
three_bells() { [[ $(bells | wc -w) -ge 3 ]]; }
poll three_bells || fail "expected three bells after the wrong pair, heard them at \"$(bells)\""
read -r b1 b2 b3 _ <<<"$(bells)"
awk -v a="$b1" -v b="$b2" -v c="$b3" 'BEGIN { exit !(b - a >= 0.2 && c - b >= 0.2 && c - a <= 1.5) }' ||
    fail "the three bells are not spaced apart: they start at $b1 $b2 $b3"

# ---------------------------------------------------------------------------------------
# The pairs, out of their order. Both marks stand through the one-second pause, during
# which the program takes no input; then both cards are blank.

sounds=(Asonde00@22 HajimeA@08)
for p in 2 0 1; do
    read -r a b <<<"${cards_of_pair[p]}"
    click_at "$(card_centre "$a")"
    want[a]=marked
    wait_board "pair$p-first" "the first card of pair $p (card $a)"

    click_at "$(card_centre "$b")"
    sleep 0.3
    want[b]=marked
    marks_seen=
    for try in $(seq 50); do
        if board_is "pair$p-pause"; then marks_seen=$shot; break; fi
        [[ ${state[a]} == blank ]] && break
        sleep 0.05
    done
    [[ -n $marks_seen ]] ||
        fail "pair $p: both red frames (cards $a and $b) were never seen together, last seen \"$(seen)\" ($shot)"
    echo "pair $p: both marks on screen in $(basename "$marks_seen")"

    want[a]=blank
    want[b]=blank
    wait_board "pair$p-removed" "after pair $p's pause (cards $a and $b)"
    sounds+=("pair$p")
    expect_heard "${sounds[@]}"
done

# The finish: a gong and the congratulation, each after a second; the board stays blank.
sounds+=(GongC@08 Omedeto00@11)
expect_heard "${sounds[@]}"
board_is finish || fail "after the finish: expected the cards \"${want[*]}\", seen \"$(seen)\" ($shot)"
[[ $preview == "${pair_colours[0]}" ]] || fail "the set browser's preview is gone after the finish ($shot)"
sleep 0.5 # the congratulation plays to its end; closing would cut it off

# ---------------------------------------------------------------------------------------
# Closing: only the closing picture, in card 0 grown to its size, through a two-second pause.

"$probe" close "$window" || fail "could not ask the window to close"
sea_left=$(($(card_left 0) + border))
sea_top=$(($(card_top 0) + border))
sea_centre=$(point $((sea_left + sea_width / 2)) $((sea_top + sea_height / 2)))
near_colour() { # RRGGBB RRGGBB: each channel within 8 of the other (the picture is a JPEG)
    local i d
    for i in 0 2 4; do
        d=$((16#${1:i:2} - 16#${2:i:2}))
        ((d >= -8 && d <= 8)) || return 1
    done
}
closing_shown() {
    take_shot closing || return 1
    near_colour "$("$probe" colours "$shot" "$sea_centre")" "$sea_colour"
}
poll closing_shown || fail "the closing picture was never seen in card 0's place ($shot)"
card0=$(card_left 0),$(card_top 0),$((sea_width + 2 * border)),$((sea_height + 2 * border))
read -r stray box <<<"$("$probe" stray "$shot" "$card0")"
((stray == 0)) || fail "beside the closing picture (card 0 at $card0) $stray pixels are not background, within $box ($shot)"
sea_right=$((sea_left + sea_width - 1))
sea_bottom=$((sea_top + sea_height - 1))
for c in $("$probe" colours "$shot" "$sea_left,$sea_top" "$sea_right,$sea_top" "$sea_left,$sea_bottom" \
    "$sea_right,$sea_bottom"); do
    near_colour "$c" "$sea_colour" ||
        fail "the closing picture does not fill ${sea_width}x$sea_height at $sea_left,$sea_top (a corner is $c) ($shot)"
done
echo "closing picture on screen in $(basename "$shot")"

for try in $(seq 150); do
    running || break
    sleep 0.1
done
running && fail "the program did not end after the closing pause"
status=0
wait "$pid" || status=$?
pid=
((status == 0)) || fail "the program ended with status $status"

sounds+=(Icq01@11)
[[ $(heard) == "${sounds[*]}" ]] || fail "expected the sounds \"${sounds[*]}\", heard \"$(heard)\""
echo "heard: $(heard)"
echo "PASS: a whole game with its marks and sounds, the closing picture, exit status 0"
