#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Clicks made while the pause blocks the window are dropped, not replayed afterwards.
# Drives the pause window of e2e_probe under Xvfb with xdotool: one click starts a
# one-second pause, two more clicks land inside it, one more after it; the handler must
# have run twice.
#
# Usage: test_pause_drops_clicks.sh <kavimo> <e2e dir> [e2e_probe]
# The probe is the third argument, else $KAVIMO_PAUSE_PROBE, else tests/e2e/e2e_probe in
# the build folder that holds <kavimo>.
# Exit status 77: a tool it needs is missing (the test is skipped).
set -euo pipefail

probe=${3:-${KAVIMO_PAUSE_PROBE:-$(dirname "$1")/tests/e2e/e2e_probe}}
if [[ ! -x $probe ]]; then
    echo "e2e_probe not found at $probe (build the target e2e_probe)" >&2
    exit 1
fi
for tool in xvfb-run xdotool; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed" >&2
        exit 77
    fi
done

if [[ -z ${KAVIMO_E2E_IN_XVFB:-} ]]; then
    KAVIMO_E2E_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 640x480x24 -noreset" \
        bash "$0" "$1" "$2" "$probe"
fi

export QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=dummy
out=$(mktemp)
"$probe" pause >"$out" 2>&1 &
pid=$!
trap 'kill "$pid" 2>/dev/null || true; rm -f "$out"' EXIT

win=$(xdotool search --sync --onlyvisible --name '^Kavimo pause probe$' | head -n 1)
sleep 0.3  # the first paint

click() { xdotool mousemove --window "$win" "$1" "$2" click 1; }
pause_button() { click 100 50; }

pause_button  # runs the handler: a one-second pause begins
sleep 0.2
pause_button  # inside the pause
sleep 0.2
pause_button  # inside the pause
sleep 1.2
pause_button  # after it: runs the handler again, another pause
sleep 1.5
click 100 150  # quit

for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
    echo "FAIL: the probe did not quit" >&2
    cat "$out" >&2
    exit 1
fi
wait "$pid" || { echo "FAIL: the probe failed" >&2; cat "$out" >&2; exit 1; }

if ! grep -qx 'pause handler runs: 2' "$out"; then
    echo "FAIL: expected 2 handler runs (the first click and the one after the pause)" >&2
    cat "$out" >&2
    exit 1
fi
echo "PASS: clicks during the pause were dropped"
