#!/usr/bin/env bash
# The built program under a real window manager (openbox on a virtual X
# server), where windows get a frame: the saved position is the frame's
# top-left corner, a start and a close keep it, the postal window docks
# frame to frame, level with the main window and 210 pixels to its left, and
# both windows are whole on the screen. Waits by polling, never by sleeping
# a fixed time.
#
#     tests/ui/window_manager_test.sh build/bin/hakomaru data
set -euo pipefail
[ -n "${TRACE:-}" ] && set -x

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

if [ "${1:-}" = "--inside" ]; then
    work="$2"
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm=$!
    trap 'kill "$wm" 2>/dev/null || true' EXIT
    timeout 20 bash -c 'until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"; do sleep 0.05; done' ||
        fail "openbox did not start: $(cat "$work/openbox.log")"

    # Polls a shell condition for up to $1 seconds.
    within() {
        local seconds="$1"
        shift
        timeout "$seconds" bash -c "until $*; do sleep 0.05; done"
    }
    window() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
    # The frame's top-left corner: the client area's corner less the frame
    # extents; empty until the window manager has framed the window.
    frame() {
        local id extents left top x y
        id=$(window "$1")
        [ -n "$id" ] || return 0
        extents=$(xprop -id "$id" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')
        [ -n "$extents" ] || return 0
        IFS=, read -r left _ top _ <<<"$extents"
        read -r x y < <(xwininfo -id "$id" 2>/dev/null |
            awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
        echo "$((x - left)),$((y - top))"
    }
    export -f window frame
    start() {
        (cd "$work" && exec ./hakomaru >>"$work/program.log" 2>&1) &
        program=$!
        within 20 '[ -n "$(window はこ丸)" ]' || fail "the main window did not show"
    }
    close_main() {
        python3 "$(dirname "$0")/close_window.py" "$(window はこ丸)"
        timeout 20 tail --pid="$program" -f /dev/null || fail "the program did not end"
        wait "$program" || fail "the program ended with an error"
    }
    saved() {
        iconv -f CP932 -t UTF-8 "$work/hakomaru.ini" | tr -d '\r' |
            awk -F= '/^Pos_Top=/{t=$2} /^Pos_Left=/{l=$2} END{print l "," t}'
    }
    settings() { printf '[Settings]\r\n%s' "$1" >"$work/hakomaru.ini"; }

    # First start: the frame at the screen's corner, title bar on the screen.
    start
    within 5 '[ "$(frame はこ丸)" = 0,0 ]' || fail "first start: frame at $(frame はこ丸), not 0,0"
    # The postal window from the menu: it would start left of the screen, so
    # the main window moves right just enough; both frames level.
    xdotool windowactivate --sync "$(window はこ丸)"
    shown() { xdotool search --onlyvisible --classname hakomaru 2>/dev/null | wc -l; }
    export -f shown
    menus=$(shown)
    xdotool key alt+v
    within 5 '[ "$(shown)" -gt '"$menus"' ]' ||
        fail "the view menu did not open"
    xdotool key Return
    within 5 '[ -n "$(window 普通郵便・冊子小包)" ]' || fail "the postal window did not open"
    within 1 '[ "$(frame 普通郵便・冊子小包)" = 0,0 ] && [ "$(frame はこ丸)" = 210,0 ]' ||
        fail "from the menu: postal $(frame 普通郵便・冊子小包), main $(frame はこ丸); want 0,0 and 210,0"
    close_main
    [ "$(saved)" = 210,0 ] || fail "first start saved $(saved), not 210,0"

    # Three starts and closes, each closed as soon as the window shows: the
    # same place every time.
    settings $'Pos_Top=100\r\nPos_Left=400\r\n'
    for cycle in 1 2 3; do
        start
        close_main
        [ "$(saved)" = 400,100 ] || fail "cycle $cycle saved $(saved), not 400,100"
    done

    # A place whose title bar is above the screen (saved by an older version)
    # comes back onto the screen.
    settings $'Pos_Top=-20\r\nPos_Left=-1\r\n'
    start
    within 5 '[ "$(frame はこ丸)" = 0,0 ]' || fail "title bar above the screen: frame at $(frame はこ丸)"
    close_main

    # The postal window open at start: docked at once; it follows the main
    # window when that moves.
    settings $'Pos_Top=100\r\nPos_Left=400\r\nShowPostal=1\r\n'
    start
    within 5 '[ -n "$(window 普通郵便・冊子小包)" ]' || fail "the postal window did not open at start"
    within 1 '[ "$(frame 普通郵便・冊子小包)" = 190,100 ] && [ "$(frame はこ丸)" = 400,100 ]' ||
        fail "at start: postal $(frame 普通郵便・冊子小包), main $(frame はこ丸); want 190,100 and 400,100"
    # Moved by another program, which moves the client area: wherever the
    # frame lands, the postal window follows and the close saves the frame.
    xdotool windowmove "$(window はこ丸)" 500 300
    docked() {
        local main postal
        main=$(frame はこ丸)
        postal=$(frame 普通郵便・冊子小包)
        [ -n "$main" ] && [ "$main" != 400,100 ] &&
            [ "$postal" = "$((${main%,*} - 210)),${main#*,}" ]
    }
    export -f docked
    within 2 docked ||
        fail "after a move: postal $(frame 普通郵便・冊子小包), main $(frame はこ丸); want 210 left, level"
    moved=$(frame はこ丸)
    close_main
    [ "$(saved)" = "$moved" ] || fail "after a move saved $(saved), not $moved"
    exit 0
fi

program_file="$1"
data_dir="$2"
for tool in Xvfb xdotool xprop xwininfo openbox python3 iconv; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work="$(mktemp -d)"
cp "$program_file" "$work/hakomaru"
cp "$data_dir/Charge.ini" "$work/"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
export HOME="$work"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY QT_SCALE_FACTOR

# The X server picks a free display itself and writes its number, so tests
# running side by side never race for one.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2>/dev/null || true; wait "$xvfb" 2>/dev/null || true; rm -rf "$work"' EXIT
timeout 20 bash -c 'until [ -s "$1" ]; do sleep 0.05; done' _ "$work/display" ||
    fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(head -n 1 "$work/display")"

if ! bash "$0" --inside "$work"; then
    cat "$work/program.log" >&2 2>/dev/null || true
    exit 1
fi
echo "PASS: frame positions kept over three cycles, first start at 0,0, postal window docked and whole on the screen"
