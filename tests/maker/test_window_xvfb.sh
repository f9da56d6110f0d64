#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The set maker's window under Xvfb, used as a parent uses it: photos added through
# "Add pictures…" and its file dialog, one square moved with the mouse, one name to be
# spoken, saved with the Save button; then "Play it now" starts the game, which deals the
# new set, and the whole game is played to its end by clicking the matching cards.
#
# The user's set folder ($XDG_DATA_HOME/kavimo/Data) is the Data folder of a scratch
# application folder holding kavimo, kavimo-set and the sound module.
#
# Usage: test_window_xvfb.sh <kavimo> <kavimo-set> [photo...]
# Without photos, the artwork of Debian's desktop-base is used when it is installed, and
# coloured test pictures otherwise. KAVIMO_E2E_KEEP=1 keeps the work folder (screenshots).
set -euo pipefail

if (($# < 2)); then
    echo "usage: test_window_xvfb.sh <kavimo> <kavimo-set> [photo...]" >&2
    exit 2
fi
for tool in xvfb-run xdotool import convert identify; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is not installed" >&2; exit 1; }
done
if [[ -z ${KAVIMO_E2E_IN_XVFB:-} ]]; then
    KAVIMO_E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x900x24 -noreset" bash "$0" "$@"
fi

kavimo=$(realpath "$1")
maker=$(realpath "$2")
shift 2
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    if [[ -n ${KAVIMO_E2E_KEEP:-} ]]; then echo "work folder kept: $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*" >&2
    cat "$work"/*.log >&2 2>/dev/null || true
    exit 1
}
shot() { import -window root "$work/shots/$1.png"; }

app=$work/app
export XDG_DATA_HOME=$work/xdg
mkdir -p "$app" "$XDG_DATA_HOME/kavimo/Data" "$work/shots" "$work/Photos"
cp "$kavimo" "$maker" "$(dirname "$kavimo")/kavimo_sound.so" "$app/"
ln -s "$XDG_DATA_HOME/kavimo/Data" "$app/Data"
export SDL_AUDIODRIVER=dummy

# The photos go into a folder of their own, whose name becomes the set's title.
for f in "$@"; do cp "$f" "$work/Photos/"; done
if (($# == 0)); then
    # Debian's artwork, named after its theme (emerald-theme/grub/grub-16x9.png: emerald.png).
    for theme in emerald homeworld joy moonlight softwaves spacefun; do
        f=/usr/share/desktop-base/$theme-theme/grub/grub-16x9.png
        [[ -f $f ]] && cp "$f" "$work/Photos/$theme.png"
    done
fi
if (($(ls "$work/Photos" | wc -l) < 3)); then
    for c in 3060C0 30A050 E0B020 C04080; do convert -size 320x200 "gradient:#$c-white" "$work/Photos/$c.png"; done
fi
pairs=$(ls "$work/Photos" | wc -l)

# The window.
(cd "$work" && exec "$app/kavimo-set" >"$work/maker.log" 2>&1) &
pids+=($!)
W=$(xdotool search --sync --onlyvisible --name 'Kavimo set maker' | head -1)
xdotool windowmove "$W" 0 0
sleep 0.5
shot 1-empty

# The pictures, through "Add pictures…" and its file dialog, by keyboard. A drag from another
# Qt program reaches the window under Xvfb, but its drop arrives without the files' names, so
# drops are tested offscreen (test_window.cpp), through the events a file manager's drop gives.
xdotool mousemove 58 21 click 1
F=$(xdotool search --sync --onlyvisible --name '^Add pictures$' | head -1)
sleep 0.5
shot 2-dialog
xdotool type --delay 20 "$work/Photos/"
xdotool key Return
sleep 0.5
names=""
for f in "$work"/Photos/*; do names+="\"$(basename "$f")\" "; done
xdotool type --delay 10 "$names"
sleep 0.3
xdotool key Return
data=$XDG_DATA_HOME/kavimo/Data
poll() { local try; for try in $(seq 150); do "$@" && return 0; sleep 0.2; done; return 1; }
# The window's parts, found on screenshots with Qt's default font: the cards' list is as
# wide as five large cards, the right column fills the rest, the buttons sit bottom right.
sleep 2
shot 3-added
eval "$(xdotool getwindowgeometry --shell "$W")"
((HEIGHT == 600 && WIDTH > 800)) || fail "the window is ${WIDTH}x${HEIGHT}, the clicks below are placed for a height of 600"
card_centre() { echo $((19 + 49 + ($1 % 5) * 113)) $((42 + 49 + ($1 / 5) * 127)); }
cut_centre=($(((605 + WIDTH - 11) / 2)) 161)
say_name=(624 413)
save=($((WIDTH - 138)) 577)
play=($((WIDTH - 52)) 577)
click() { xdotool mousemove "$1" "$2" click 1; sleep 0.3; }

[[ $(ls "$data") == "" ]] || fail "something was written before saving: $(ls "$data")"

# The first card dragged onto the third: it takes that place, the second card becomes the
# preview and the third photo comes second.
read -r x y <<<"$(card_centre 0)"
read -r tx ty <<<"$(card_centre 2)"
xdotool mousemove "$x" "$y" mousedown 1
for step in 10 20 40 80 120 160 200 "$((tx - x))"; do xdotool mousemove $((x + step)) "$y"; sleep 0.1; done
xdotool mouseup 1
sleep 1

# The second pair: its square dragged to the left edge of its photo, its name spoken.
click $(card_centre 1)
xdotool mousemove "${cut_centre[@]}" mousedown 1
for x in $(seq $((cut_centre[0] - 30)) -30 $((cut_centre[0] - 210))); do xdotool mousemove "$x" "${cut_centre[1]}"; sleep 0.05; done
xdotool mouseup 1
click "${say_name[@]}"
sleep 1
shot 4-edited
click "${save[@]}"
poll test -f "$data/Photos.dat" || fail "Save wrote no Photos.dat"
sleep 1
shot 5-saved
preview=$(ls "$work/Photos" | sed -n 2p)
second=$(ls "$work/Photos" | sed -n 3p)
# The set's lines, in order: its first picture is the new preview.
first_picture=$(tr -d '\r' <"$data/Photos.dat" | sed -n '/^\[Picture\]$/{n;p}')
[[ $first_picture == *"${preview%.*}".png ]] || fail "the preview is $first_picture, not $preview"
[[ -f $data/Photos/${second%.*}.wav ]] || fail "no spoken name for $second: $(ls "$data/Photos")"
(($(ls "$data/Photos" | grep -c '\.png$') == pairs)) || fail "not $pairs pictures: $(ls "$data/Photos")"
# The moved square: the second card is the photo's left edge, not its centre.
short=$(identify -format '%[fx:min(w,h)]' "$work/Photos/$second")
convert "$work/Photos/$second" -crop "${short}x${short}+0+0" -resize 99x99 "$work/left.png"
diff=$(compare -metric RMSE "$data/Photos/${second%.*}.png" "$work/left.png" null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
awk -v d="$diff" 'BEGIN { exit !(d < 0.02) }' || fail "the second card is not the left square of its photo (RMSE $diff)"

# "Play it now" starts the game beside kavimo-set, which lists the new set.
click "${play[@]}"
G=$(timeout 30 xdotool search --sync --onlyvisible --name '^Kavimo$' | head -1) || fail "the game did not start"
pids+=($(xdotool getwindowpid "$G"))
sleep 1
px() { echo $((($1 * 2 + 15) / 30)); }
gclick() { xdotool mousemove --window "$G" "$1" "$2" click 1; }
gshot() { import -window "$G" "$work/shots/$1.png"; }
gshot 6-game
gclick $(($(px 600) + $(px 1935) / 2)) $(($(px 6840) + $(px 735) / 2))  # スタート
sleep 2
gshot 7-dealt
cards=$((2 * pairs))
side=$(px 1550)
look() {  # a signature of what card $2 shows on screenshot $1
    convert "$work/shots/$1.png" -crop "80x80+$(($(px $((240 + ($2 % 5) * 1560))) + (side - 80) / 2))+$(($(px $((360 + ($2 / 5) * 1560))) + (side - 80) / 2))" +repage -format '%#' info:
}
declare -A first=()
blank=$(look 7-dealt 19)  # a card not in play shows the board
order=()
for ((k = 0; k < cards; k++)); do
    sig=$(look 7-dealt $k)
    [[ $sig != "$blank" ]] || fail "card $k was not dealt"
    if [[ -n ${first[$sig]:-} ]]; then order+=("${first[$sig]} $k"); else first[$sig]=$k; fi
done
((${#order[@]} == pairs)) || fail "the deal does not show $pairs pairs of cards (${#order[@]} found)"
for pair in "${order[@]}"; do
    read -r a b <<<"$pair"
    gclick $(($(px $((240 + (a % 5) * 1560))) + side / 2)) $(($(px $((360 + (a / 5) * 1560))) + side / 2))
    sleep 0.3
    gclick $(($(px $((240 + (b % 5) * 1560))) + side / 2)) $(($(px $((360 + (b / 5) * 1560))) + side / 2))
    sleep 1.6
done
sleep 2.5  # the gong and the congratulation, a second each
gshot 8-finished
left=0
for sig in "${!first[@]}"; do
    for ((k = 0; k < cards; k++)); do [[ $(look 8-finished $k) == "$sig" ]] && left=$((left + 1)); done
done
((left == 0)) || fail "$left cards still show their picture after the game"
echo "PASS: a set of $pairs pairs made in the window, saved, and played to the end in the game"
