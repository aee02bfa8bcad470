#!/usr/bin/env bash
# The tariff editor under openbox on a 1920 x 1080 X server at twice the
# scale: its frame, title bar and status bar included, opens within the
# screen; a size and place the user gives it come back at the next start;
# a saved size larger than the screen is cut to it; ファイル → 比較 opens
# beside it, not over it. Polls, never sleeps a fixed time.
set -euo pipefail
source "$(dirname "$0")/../support/x_session.sh"
need_tools xdotool xprop xwininfo python3 iconv
cp "$1" "$work/hakomaru-tariff"
cp "$2/Charge.ini" "$work/"
export HOME="$work" QT_SCALE_FACTOR=2
unset QT_QPA_PLATFORM
start_x_server 1920x1080
start_window_manager

window() { xdotool search --onlyvisible --name "${1:-^料金表の編集}" 2>/dev/null | head -n 1; }
# The frame as "x y width height" in the screen's pixels; empty until framed.
# Of the editor, or of the window whose title matches $1.
frame() {
    local id ext x y w h l r t b
    id=$(window "${1:-}") && [ -n "$id" ] || return 0
    ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ') && [ -n "$ext" ] || return 0
    read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /^ *Width:/{w=$2} /^ *Height:/{h=$2} END{print x, y, w, h}')
    IFS=, read -r l r t b <<<"$ext"
    echo "$((x - l)) $((y - t)) $((w + l + r)) $((h + t + b))"
}
# The whole frame on the 1920 x 1080 screen (openbox reserves none of it).
on_screen() {
    local f && f=$(frame) && [ -n "$f" ] || return 1
    read -r x y w h <<<"$f"
    [ "$x" -ge 0 ] && [ "$y" -ge 0 ] && [ $((x + w)) -le 1920 ] && [ $((y + h)) -le 1080 ]
}
# Two frames alike within 2 pixels a number: at twice the scale a frame
# border of one pixel is half a pixel to the program.
near() {
    local a b i
    read -ra a <<<"$1"
    read -ra b <<<"$2"
    for i in 0 1 2 3; do
        [ $((a[i] - b[i])) -le 2 ] && [ $((b[i] - a[i])) -le 2 ] || return 1
    done
}
# Two frames apart, sharing at most 2 pixels either way.
apart() {
    local a b
    read -ra a <<<"$1"
    read -ra b <<<"$2"
    [ $((a[0] + a[2])) -le $((b[0] + 2)) ] || [ $((b[0] + b[2])) -le $((a[0] + 2)) ] ||
        [ $((a[1] + a[3])) -le $((b[1] + 2)) ] || [ $((b[1] + b[3])) -le $((a[1] + 2)) ]
}
export -f window frame on_screen near apart
start() {
    (cd "$work" && exec ./hakomaru-tariff Charge.ini >>"$work/program.log" 2>&1) &
    program=$!
    within 20 '[ -n "$(window)" ]' || fail "the editor did not show"
}
close_editor() {
    close_window "$(window)"
    timeout 20 tail --pid="$program" -f /dev/null || fail "the editor did not end"
}
settings() { printf '[Settings]\r\n%s' "$1" >"$work/hakomaru-tariff.ini"; }
saved() { tr -d '\r' <"$work/hakomaru-tariff.ini" | awk -F= '/^Pos_Left=/{l=$2} /^Pos_Top=/{t=$2} /^Width=/{w=$2} /^Height=/{h=$2} END{print l, t, w, h}'; }

# First start: on the screen at 2x, though its natural size is larger.
start
within 5 on_screen || fail "first start at 2x: frame $(frame) is not within 1920x1080"
close_editor
[ -s "$work/hakomaru-tariff.ini" ] || fail "the place was not saved"

# A place and size the user gives it come back.
start
within 5 on_screen || fail "second start: frame $(frame)"
xdotool windowsize --sync "$(window)" 1200 700
xdotool windowmove --sync "$(window)" 300 200
before=$(frame)
close_editor
start
within 5 "near \"\$(frame)\" \"$before\"" || fail "the place came back as $(frame), not $before (saved $(saved))"
close_editor

# A saved size larger than the screen, and a place off it, are cut to fit.
settings $'Pos_Left=700\r\nPos_Top=400\r\nWidth=3000\r\nHeight=2000\r\n'
start
within 5 on_screen || fail "an oversized saved place: frame $(frame)"
close_editor
# ファイル → 比較 opens beside the editor, not over it; at twice the scale
# neither side has room, and the editor gives it some.
cp "$work/Charge.ini" "$work/new.ini"
start
within 5 on_screen || fail "before the comparison: frame $(frame)"
xdotool key --clearmodifiers alt+f c # ファイル → 比較, its keys queued in order
within 10 '[ -n "$(window 比べる料金表ファイル)" ]' || fail "the file dialog of 比較 did not show"
xdotool type --delay 5 "$work/new.ini"
xdotool key Return
within 10 '[ -n "$(frame ^料金表の比較)" ]' || fail "the comparison did not show"
within 5 'apart "$(frame)" "$(frame ^料金表の比較)"' ||
    fail "the comparison $(frame ^料金表の比較) lies over the editor $(frame)"
close_editor
echo "PASS: the editor's frame within 1920x1080 at 2x, its place and size kept, an oversized place cut to the screen, 比較 beside it"
