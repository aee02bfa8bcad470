#!/usr/bin/env bash
# The probe program under wine and openbox: its window is found by its
# title はこ丸, a click and typed text reach its controls (速達 clicked; the
# amount 6 checks 書留), and the quote copied from the group's popup menu is
# read back from the X clipboard. Prints the time from start to a visible
# window. Polls, never sleeps a fixed time.
#
# Runs in the wine session of scripts/windows-check.sh, on its X server with
# openbox: wine's desktop process, which owns the X clipboard, lives on the
# display the session's first window opened on.
#   window_manager_test.sh PROBE.exe DATA_DIR
set -euo pipefail
# The session's X server and window manager are the script's; the helper
# gives the scratch folder, polling, failing and closing a window.
# shellcheck source=../support/x_session.sh
source "$(dirname "$0")/../support/x_session.sh"
need_tools xdotool xprop xwininfo xclip wine python3
xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id" ||
    fail "no window manager on DISPLAY '${DISPLAY:-}': run under scripts/windows-check.sh"
cp "$1" "$2/Charge.ini" "$work/"

window() { xdotool search --onlyvisible --name '^はこ丸$' 2>/dev/null | head -n 1; }
export -f window
started=$(date +%s%N)
(cd "$work" && exec wine "$(basename "$1")" >"$work/program.log" 2>&1) &
program=$!
within 60 '[ -n "$(window)" ]' || fail "the window はこ丸 did not show"
echo "start-up to a visible window: $((($(date +%s%N) - started) / 1000000)) ms"

# Clicks go where the window is once openbox has framed, placed and
# focused it.
id=$(window)
settled() {
    xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | grep -q = &&
        [ "$(xdotool getactivewindow 2>/dev/null)" = "$1" ]
}
export -f settled
within 20 "settled $id" || fail "openbox did not frame and focus the window"
# The X window holds the menu bar above the client area: the client area
# is its bottom 269 pixels (96 dpi). Points below are in the client area.
read -r x y height < <(xwininfo -id "$id" |
    awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /^ *Height:/{h=$2} END{print x, y, h}')
top=$((y + height - 269))
click() { xdotool mousemove --sync $((x + $1)) $((top + $2)) click "$3"; }

click 144 95 1  # the check box 速達
click 346 47 1  # the amount: a click selects it all
xdotool type --delay 50 6
shown() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
export -f shown
before=$(shown)
click 40 180 3  # the ゆうパック group's free surface: its popup menu
within 10 "[ \$(shown) -gt $before ]" || fail "no popup menu"
xdotool key Down Return
# Wine hands the text to X with LF for CR LF.
expected='^送料¥[0-9,]+ \+ 速達¥[0-9,]+ \+ 書留¥[0-9,]+ = 合計額¥[0-9,]+$'
copied() { xclip -o -selection clipboard 2>/dev/null | grep -Eq "$expected"; }
export -f copied
export expected
within 10 copied || fail "the clipboard holds '$(xclip -o -selection clipboard 2>&1)'"

close_window "$id"
timeout 20 tail --pid="$program" -f /dev/null || fail "the program did not end"
program=
echo "PASS"
