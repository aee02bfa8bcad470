#!/usr/bin/env bash
# The program under openbox on its own X server: frame positions survive
# starts and closes, the postal window docks level and 210 pixels to the left,
# both windows stay on the screen, the options and about windows centre
# their frames on the screen at 1x and 2x, a help page no program shows is
# reported. Polls, never sleeps a fixed time.
set -euo pipefail
source "$(dirname "$0")/../support/x_session.sh"
need_tools xdotool xprop xwininfo python3 iconv
cp "$1" "$work/hakomaru"
cp "$2/Charge.ini" "$work/"
export HOME="$work"
unset QT_QPA_PLATFORM QT_SCALE_FACTOR
start_x_server 1024x768
start_window_manager

window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
# The frame's corner: the client area's less the frame extents; empty until framed.
frame() {
    local id ext x y
    id=$(window "$1") && [ -n "$id" ] || return 0
    ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ') && [ -n "$ext" ] || return 0
    read -r x y < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
    IFS=, read -r l _ t _ <<<"$ext"
    echo "$((x - l)),$((y - t))"
}
shown() { xdotool search --onlyvisible --classname hakomaru 2>/dev/null | wc -l; }
# Whether the window's frame, title bar and border included, is centred on
# the 1024 x 768 screen (openbox reserves none of it) within 2 pixels.
centred() {
    local id ext x y w h l r t b
    id=$(window "$1") && [ -n "$id" ] || return 1
    ext=$(xprop -id "$id" _NET_FRAME_EXTENTS | sed -n 's/.*= //p' | tr -d ' ') && [ -n "$ext" ] || return 1
    read -r x y w h < <(xwininfo -id "$id" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4}
        /^ *Width:/{w=$2} /^ *Height:/{h=$2} END{print x, y, w, h}')
    IFS=, read -r l r t b <<<"$ext"
    # Twice the frame's centre against twice the screen's.
    local dx=$((2 * (x - l) + w + l + r - 1024)) dy=$((2 * (y - t) + h + t + b - 768))
    [ "${dx#-}" -le 4 ] && [ "${dy#-}" -le 4 ]
}
export -f window frame shown centred
start() { # $@: the program's environment
    (cd "$work" && exec env "$@" ./hakomaru >>"$work/program.log" 2>&1) &
    program=$!
    within 20 '[ -n "$(window はこ丸)" ]' || fail "the main window did not show"
}
close_main() {
    close_window "$(window はこ丸)"
    timeout 20 tail --pid="$program" -f /dev/null || fail "the program did not end"
}
saved() { iconv -f CP932 -t UTF-8 "$work/hakomaru.ini" | tr -d '\r' | awk -F= '/^Pos_Top=/{t=$2} /^Pos_Left=/{l=$2} END{print l "," t}'; }
settings() { printf '[Settings]\r\n%s' "$1" >"$work/hakomaru.ini"; }
docked() { # $1: the main window's frame
    within "$2" "[ \"\$(frame はこ丸)\" = $1 ] && [ \"\$(frame 普通郵便・冊子小包)\" = $((${1%,*} - 210)),${1#*,} ]"
}

# First start: the frame at the screen's corner. The postal window from the
# menu would start left of the screen: the main window moves right for it.
start
within 5 '[ "$(frame はこ丸)" = 0,0 ]' || fail "first start: frame at $(frame はこ丸)"
xdotool windowactivate --sync "$(window はこ丸)"
before=$(shown) && xdotool key alt+v
within 5 "[ \$(shown) -gt $before ]" || fail "the view menu did not open"
xdotool key Return
docked 210,0 5 || fail "from the menu: main $(frame はこ丸), postal $(frame 普通郵便・冊子小包)"
close_main
[ "$(saved)" = 210,0 ] || fail "first start saved $(saved)"

# Three cycles, each closed as soon as the window shows, keep the place; a
# title bar above the screen (an older version's place) comes back.
settings $'Pos_Top=100\r\nPos_Left=400\r\n'
for cycle in 1 2 3; do
    start && close_main
    [ "$(saved)" = 400,100 ] || fail "cycle $cycle saved $(saved)"
done
settings $'Pos_Top=-20\r\nPos_Left=-1\r\n' && start
within 5 '[ "$(frame はこ丸)" = 0,0 ]' || fail "title bar above the screen: frame at $(frame はこ丸)"
close_main

# The postal window at start: docked at once, and brought along when another
# program moves the main window, wherever its frame lands; that is saved.
settings $'Pos_Top=100\r\nPos_Left=400\r\nShowPostal=1\r\n' && start
docked 400,100 5 || fail "at start: main $(frame はこ丸), postal $(frame 普通郵便・冊子小包)"
xdotool windowmove "$(window はこ丸)" 500 300
within 5 '[ "$(frame はこ丸)" != 400,100 ]' || fail "the main window did not move"
moved=$(frame はこ丸) && docked "$moved" 2 || fail "after a move: main $(frame はこ丸), postal $(frame 普通郵便・冊子小包)"
close_main
[ "$(saved)" = "$moved" ] || fail "after a move saved $(saved), not $moved"

# ヘルプ → はこ丸の使い方 with no program on the path to show the page: a
# message box (the program's title, a second window) says so.
start PATH=/nonexistent
xdotool windowactivate --sync "$(window はこ丸)"
titled() { xdotool search --onlyvisible --name "^はこ丸\$" 2>/dev/null | wc -l; }
export -f titled
before=$(shown) && xdotool key alt+h
within 5 "[ \$(shown) -gt $before ]" || fail "the help menu did not open"
xdotool key Down Return
within 5 '[ $(titled) -eq 2 ]' || fail "no message box for a page no program shows"
xdotool key Return
within 5 '[ $(titled) -eq 1 ]' || fail "the message box did not close"
close_main

# The options window (オプション → オプション設定...) and the about window
# (ヘルプ → バージョン情報) centre their frames on the screen, at 1x and 2x.
dialog() { # $1: menu key, $2: item key, $3: the window's title
    xdotool windowactivate --sync "$(window はこ丸)"
    local before
    before=$(shown) && xdotool key "$1"
    within 5 "[ \$(shown) -gt $before ]" || fail "the menu did not open for $3"
    xdotool key "$2"
    within 5 "[ -n \"\$(window $3)\" ]" || fail "$3 did not open"
    within 5 "centred $3" || fail "$3 at ${scale}x: frame not centred: $(frame "$3") $(xwininfo -id "$(window "$3")" | grep -E 'Width|Height' | tr -s ' ' | tr '\n' ' ')"
    close_window "$(window "$3")"
    within 5 "[ -z \"\$(window $3)\" ]" || fail "$3 did not close"
}
for scale in 1 2; do
    settings $'Pos_Top=0\r\nPos_Left=0\r\n'
    QT_SCALE_FACTOR=$scale start
    dialog alt+o Return オプション設定
    dialog alt+h a バージョン情報
    close_main
done
echo "PASS: frame positions kept, first start at 0,0, postal window docked and on the screen, a help page no program shows reported, options and about windows centred at 1x and 2x"
