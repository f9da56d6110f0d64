#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The built programs under Xvfb, driven with xdotool, seen in screenshots and heard through
# SDL's disk audio driver.
#
#   game:  a whole game of kavimo with a set made here: three pairs of solid colours whose
#          sounds, like the fixed cues, are test tones, each at a level of its own, so that
#          the recording tells which sound played when. The deal, a wrong pair, the pairs out
#          of order with a click dropped during a pause, the finish, and closing the window.
#   maker: a set made in kavimo-set's window through its file dialog, by clicks and drags,
#          saved, and dealt by the game that "Play it now" starts. Without photos, the artwork
#          of Debian's desktop-base is used.
#
# Usage: test_real_window.sh game|maker BUILD_DIR [photo...]
# KAVIMO_E2E_KEEP=1 keeps the work folder (screenshots, recording, the programs' output).
set -euo pipefail

[[ ${1-} == @(game|maker) && -d ${2-} ]] || { echo "usage: $0 game|maker BUILD_DIR [photo...]" >&2; exit 2; }
# No window manager runs under xvfb-run: windows stand where they are put, and a screenshot
# of one shows its client area only. -noreset: the server signals xvfb-run at every reset,
# and a signal that lands while xvfb-run cleans up makes it fail and leave the server running.
[[ -n ${KAVIMO_E2E_IN_XVFB:-} ]] ||
    KAVIMO_E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1280x900x24 -noreset" bash "$0" "$@"

part=$1 build=$(realpath "$2") work=$(mktemp -d)
probe=$build/tests/e2e/e2e_probe app=$work/app pids=() shots=0
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    if [[ -n ${KAVIMO_E2E_KEEP:-} ]]; then echo "work folder kept: $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2 && tail -n 20 "$work"/*.log >&2 2>/dev/null; exit 1; }
install -D -t "$app" "$build/kavimo" "$build/kavimo-set" "$build/kavimo_sound.so"
cd "$work" # the programs' start directory
unset QT_SCALE_FACTOR QT_SCREEN_SCALE_FACTORS
# The programs' scratch files and caches go with the rest.
export QT_QPA_PLATFORM=xcb TMPDIR=$work XDG_CACHE_HOME=$work/cache

poll() { # until "$@" succeeds while the program runs: 100 tries 0.1 s apart, generous for a busy machine
    for _ in $(seq 100); do "$@" && return 0 || kill -0 "${pids[0]}" 2>/dev/null || return 1; sleep 0.1; done
    return 1
}
# The window named $1, of the process $2 when given: a window of one just ended may linger a moment.
find_window() {
    timeout 30 xdotool search --sync --all --onlyvisible ${2:+--pid "$2"} --name "$1" | head -n 1 | grep .
}
# Window $1 into $shot, a file of the work folder named after $2.
shot() { printf -v shot '%02d-%s.png' $((++shots)) "$2" && import -window "$1" "$shot" 2>/dev/null; }
colours() { convert "$1" -format "$(shift && printf '%%[hex:p{%s}] ' "$@")" info:; } # RRGGBB at each X,Y
sig() { convert "$1" -crop "80x80+$((${2%,*} - 40))+$((${2#*,} - 40))" +repage -format '%#\n' info:; } # around X,Y
click() { xdotool mousemove --window "$1" "${2%,*}" "${2#*,}" click 1; }
# The game's window is laid out in twips, 15 to a pixel, each value rounded on its own.
px() { echo $((($1 * 2 + 15) / 30)); }
card_at() { echo "$(($(px $((240 + $1 % 5 * 1560))) + $2)),$(($(px $((360 + $1 / 5 * 1560))) + ${3:-$2}))"; }
start_button=$(($(px 600) + $(px 1935) / 2)),$(($(px 6840) + $(px 735) / 2))
preview_at=$(($(px 3240) + $(px 735) / 2)),$(($(px 6880) + $(px 735) / 2))

# A screenshot of the game ($1 names it) as $want says: each card blank (the window's colour),
# shows (its pair's picture) or marked (the red frame, 8 pixels in from the card's edge), and
# the first set's preview (pair 0's colour) beside them. Leaves $preview, $state and $colour.
board_is() {
    shot "$G" "$1" || return 1
    local k c ok=0
    read -ra c <<<"$(colours "$shot" 0,0 "$preview_at" "${points[@]}")" || return 1
    preview=${c[1]}
    [[ $preview == "${pair_colour[0]}" ]] || ok=1
    for ((k = 0; k < 6; k++)); do
        colour[k]=${c[2 + 2 * k]} state[k]=shows
        [[ ${c[3 + 2 * k]} != FF0000 ]] || state[k]=marked
        [[ ${colour[k]} != "${c[0]}" ]] || state[k]=blank
        [[ ${state[k]} == "${want[k]}" &&
            (${want[k]} == blank || ${colour[k]} == "${pair_colour[pair_of[k]]}") ]] || ok=1
    done
    return $ok
}
seen() { echo "\"${state[*]}\" in ${colour[*]} beside a preview in $preview ($shot)"; }
expect_board() { poll board_is "$1" || fail "$1: expected the cards \"${want[*]}\", seen $(seen)"; }
heard() { "$probe" sounds audio.raw | sed -f names.sed -e 's/ .*//' | xargs; } # by name (names.sed), in order
recorded_past() { awk -v bytes="$(stat -c %s audio.raw)" -v s="$1" 'BEGIN { exit !(bytes >= s * 88200) }'; }
heard_begins() { [[ " $(heard) " == " $* "* ]]; } # more may follow: the recording runs on
expect_heard() { # the sounds so far and these after them
    sounds+=("$@") && poll heard_begins "${sounds[@]}" || fail "heard \"$(heard)\", not \"${sounds[*]}\" first"
}

# Program $1 shows window $2 without any font installed (a portable copy on a bare machine),
# in English under a Japanese locale, and says on stderr what to install.
without_fonts() {
    echo "<fontconfig><dir>$work/nofonts</dir><cachedir>$work</cachedir></fontconfig>" >nofonts.conf
    FONTCONFIG_FILE=$work/nofonts.conf LC_ALL='' LANGUAGE='' LANG=ja_JP.UTF-8 SDL_AUDIODRIVER=dummy \
        "$app/$1" >"nofonts-$1.log" 2>&1 &
    find_window "$2" $! >/dev/null || fail "$1 showed no window \"$2\" without fonts"
    kill $! && { wait $! 2>/dev/null || true; }
    grep -q "no font for Japanese is installed.*sudo apt install fonts-ipafont-gothic" "nofonts-$1.log" ||
        fail "$1 did not say which font to install: $(cat "nofonts-$1.log")"
}

game_part() {
    local data=$app/Data s p k a b c level=1000
    mkdir "$data"
    for s in Asonde00@22 HajimeA@08 puu002@22 GongC@08 Omedeto00@11 Icq01@11 pair0 pair1 pair2; do
        echo "s/^$level .*/$s/" >>names.sed # a square wave (ringing a little at its edges) of samples ±level
        sox -D -n -r 22050 -c 2 -b 16 "$data/$s.wav" synth 0.4 square 441 vol "$(bc -l <<<"$level / 32768")"
        level=$((level + 1000))
    done
    # Larger than a card's inner area, so that they fill it; none red, none grey like the window.
    pair_colour=(0000FF 00A000 FFD700) sea=008080
    for p in 0 1 2; do convert -size 110x110 "xc:#${pair_colour[p]}" "png24:$data/picture$p.png"; done
    convert -size 240x180 "xc:#$sea" -quality 95 "$data/sea.jpg"
    printf '%s\r\n' '[File]' 3 '[Picture]' 'Data\picture0.png' 'Data\picture1.png' 'Data\picture2.png' \
        '[Sound]' 'Data\pair0.wav' 'Data\pair1.wav' 'Data\pair2.wav' >"$data/colours.dat"
    # Started without a display (over ssh), it says so, not Qt's advice to reinstall it.
    grep -q "no display to show the game on" <(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM \
        "$app/kavimo" 2>&1) || fail "the game did not say it has no display"
    without_fonts kavimo '^Kavimo$'
    SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$work/audio.raw "$app/kavimo" >kavimo.log 2>&1 & pids+=($!)
    G=$(find_window '^Kavimo$' "${pids[-1]}") || fail "no window named Kavimo appeared"

    want=(blank blank blank blank blank blank) pair_of=(0 0 0 0 0 0) points=() sounds=()
    for ((k = 0; k < 6; k++)); do points+=("$(card_at $k 51)" "$(card_at $k 8 51)"); done
    expect_board start
    first_start=$shot
    poll test -s cache/kavimo/window-font || fail "the window's font was not remembered for the next start"
    expect_heard Asonde00@22

    click "$G" "$start_button"
    dealt() { # every card shows a pair's picture, each pair's on two cards ("k k ")
        # (board_is fails here: the pairs are not known yet)
        board_is deal || [[ ${state[*]} == "shows shows shows shows shows shows" ]] || return 1
        cards_of=("" "" "")
        for ((k = 0; k < 6; k++)); do
            for p in 0 1 2; do [[ ${colour[k]} != "${pair_colour[p]}" ]] || pair_of[k]=$p cards_of[p]+="$k "; done
        done
        [[ ${#cards_of[0]} == 4 && ${#cards_of[1]} == 4 && ${#cards_of[2]} == 4 ]]
    }
    poll dealt || fail "the cards were never dealt in pairs after clicking スタート, seen $(seen)"
    want=(shows shows shows shows shows shows)
    expect_heard HajimeA@08
    # The start cue's 0.4 s over first: bells that rang over it would blur with it in the recording.
    poll recorded_past "$("$probe" sounds audio.raw | awk '$1 == 2000 { print $2 + 0.5; exit }')" ||
        fail "the recording stopped during the start cue"

    # A wrong pair: both marks go (a first mark alone is seen below), and three bells ring one by one.
    read -r b c <<<"${cards_of[1]}"
    click "$G" "$(card_at "${cards_of[0]%% *}" 51)"
    click "$G" "$(card_at "$b" 51)"
    expect_board mismatch
    expect_heard bell bell bell

    # The pairs out of order: both marks stay through the one-second pause, then both cards are
    # blank. A click on a third card right after the first pair (both marks are seen after it, so
    # it came inside the pause) is dropped, not replayed: that card stays as it was.
    for p in 2 0 1; do
        read -r a b <<<"${cards_of[p]}"
        click "$G" "$(card_at "$a" 51)"
        want[a]=marked
        expect_board "pair$p-first"
        click "$G" "$(card_at "$b" 51)"
        ((p != 2)) || click "$G" "$(card_at "$c" 51)"
        want[b]=marked
        expect_board "pair$p-pause" # both marks
        want[a]=blank want[b]=blank sounds+=("pair$p")
        expect_board "pair$p-found"
    done
    expect_heard GongC@08 Omedeto00@11
    expect_board finish
    sleep 0.5 # the congratulation plays to its end; closing would cut it off

    # Closing: the closing picture, in card 0 grown to its size, through a two-second pause.
    "$probe" close "$G" || fail "could not ask the window to close"
    # The picture's place, inside card 0's border, all within 5% of its colour (a JPEG).
    closing() { shot "$G" closing && [[ $(convert "$shot" -crop "240x180+$(card_at 0 2 | tr , +)" -fuzz 5% \
        -fill black -opaque "#$sea" -format '%[fx:maxima]' info:) == 0 ]]; }
    poll closing || fail "the closing picture was never seen in card 0's place ($shot)"
    timeout 15 tail --pid="${pids[0]}" -f /dev/null || fail "the program did not end after the closing pause"
    wait "${pids[0]}" || fail "the program ended with status $?"
    [[ $(heard) == "${sounds[*]} Icq01@11" ]] || fail "heard \"$(heard)\", not \"${sounds[*]} Icq01@11\""

    # Started again, with the window's font remembered: the same window, its texts and all.
    SDL_AUDIODRIVER=dummy "$app/kavimo" >kavimo-again.log 2>&1 & pids=($!)
    G=$(find_window '^Kavimo$' "${pids[0]}") || fail "no window named Kavimo appeared on the next start"
    expect_board next-start
    compare -metric AE "$first_start" "$shot" null: 2>/dev/null || fail "the next start looks otherwise ($shot)"
    echo "PASS: a whole game with its marks and sounds, a dropped click, the closing picture; heard $(heard)"
}

maker_part() {
    export XDG_DATA_HOME=$work/xdg SDL_AUDIODRIVER=dummy
    local data=$XDG_DATA_HOME/kavimo/Data photos=$work/Photos f k x y steps=() left=()
    mkdir -p "$data" "$photos"
    ln -s "$data" "$app/Data" # the user's set folder is where the game looks
    for f in "$@"; do cp "$f" "$photos/"; done # the folder's name becomes the set's title
    for f in emerald homeworld joy moonlight softwaves spacefun; do # else Debian's artwork, by theme
        (($#)) || cp "/usr/share/desktop-base/$f-theme/grub/grub-16x9.png" "$photos/$f.png" || true
    done
    pairs=$(ls "$photos" | wc -l)
    ((pairs >= 3)) || fail "three pictures at least: give photos, or install desktop-base"
    without_fonts kavimo-set '^Kavimo set maker$' # not "Kavimo セットづくり"
    "$app/kavimo-set" >maker.log 2>&1 & pids+=($!)
    M=$(find_window 'Kavimo set maker' "${pids[-1]}") || fail "the set maker's window did not appear"
    eval "$(xdotool windowmove "$M" 0 0 getwindowgeometry --shell "$M")"
    ((HEIGHT == 600 && WIDTH > 800)) || fail "the window is ${WIDTH}x$HEIGHT; the clicks here need a height of 600"
    card() { echo $((68 + $1 % 5 * 113)),$((91 + $1 / 5 * 127)); } # the list is five large cards wide
    sleep 0.5 # the first paint
    shot "$M" empty && empty=$(sig "$shot" "$(card $((pairs - 1)))")

    # The photos, through "Add pictures…" and its file dialog, by keyboard: a drop from another
    # program under Xvfb arrives without the files' names (drops are tested offscreen).
    click "$M" 145,21
    find_window '^Add pictures$' >/dev/null || fail "no file dialog"
    xdotool sleep 0.5 type --delay 20 "$photos/" # ("type" takes all that follows as text)
    xdotool key Return sleep 0.5 type --delay 10 "$(cd "$photos" && printf '"%s" ' *)"
    xdotool key Return
    added() { shot "$M" added && [[ $(sig "$shot" "$(card $((pairs - 1)))") != "$empty" ]]; }
    poll added || fail "the $pairs photos never showed as cards ($shot)"
    [[ -z $(ls "$data") ]] || fail "something was written before saving: $(ls "$data")"

    # The first card dragged onto the third: the second becomes the preview, the third photo second.
    IFS=, read -r x y <<<"$(card 0)"
    for k in 10 20 40 80 120 160 200 226; do steps+=(mousemove $((x + k)) "$y" sleep 0.1); done
    xdotool mousemove "$x" "$y" mousedown 1 "${steps[@]}" mouseup 1 sleep 1
    # The second card: its square dragged to the left edge of its photo, its name spoken.
    click "$M" "$(card 1)"
    x=$(((605 + WIDTH - 11) / 2))
    for k in 30 60 90 120 150 180 210; do left+=(mousemove $((x - k)) 161 sleep 0.05); done
    xdotool sleep 0.3 mousemove "$x" 161 mousedown 1 "${left[@]}" mouseup 1 sleep 0.3
    xdotool mousemove 624 413 click 1 sleep 1 # "spoken"
    click "$M" $((WIDTH - 138)),577 # Save
    preview=$(ls "$photos" | sed -n 2p) second=$(ls "$photos" | sed -n 3p)
    saved() { # the set's first picture is the new preview; the second card has its spoken name
        [[ $(tr -d '\r' <"$data/Photos.dat" | sed -n '/^\[Picture\]$/{n;p}') == *"${preview%.*}".png ]] &&
            [[ -f $data/Photos/${second%.*}.wav ]] && (($(ls "$data"/Photos/*.png | wc -l) == pairs)) &&
            ! compgen -G "$data/.kavimo-set-*" >/dev/null # its hidden work folder gone: the save is over
    }
    poll saved 2>/dev/null || fail "Save wrote no set led by $preview with a name for $second: $(ls -R "$data")"
    f=$(identify -format '%[fx:min(w,h)]' "$photos/$second") # its card, the left square of its photo
    f=$(convert "$data/Photos/${second%.*}.png" \( "$photos/$second" -crop "${f}x$f+0+0" -resize 99x99 \) \
        -metric RMSE -compare -format '%[distortion]' info:)
    awk -v d="$f" 'BEGIN { exit !(d < 0.02) }' || fail "the second card is not the left square of its photo (RMSE $f)"

    # "Play it now" starts the game beside kavimo-set, which lists and deals the new set.
    click "$M" $((WIDTH - 52)),577
    G=$(find_window '^Kavimo$') || fail "the game did not start"
    pids+=("$(xdotool getwindowpid "$G")")
    previewed() { shot "$G" game && [[ $(colours "$shot" 0,0) != $(colours "$shot" "$preview_at") ]]; }
    poll previewed || fail "the game shows no preview of the new set ($shot)"
    click "$G" "$start_button"
    dealt_in_pairs() { # every card in play shows a picture, each picture on two cards
        shot "$G" dealt || return 1
        blank=$(sig "$shot" "$(card_at 19 51)") # a card not in play shows the board
        for ((k = 0; k < 2 * pairs; k++)); do sig "$shot" "$(card_at $k 51)"; done | sort | uniq -c >dealt.txt
        [[ $(awk -v blank="$blank" '$1 == 2 && $2 != blank' dealt.txt | wc -l) == "$pairs" ]]
    }
    poll dealt_in_pairs || fail "the game did not deal $pairs pairs of equal cards ($shot)"
    echo "PASS: a set of $pairs pairs made in the window, saved, and dealt as pairs by the game"
}

"${part}_part" "${@:3}"
