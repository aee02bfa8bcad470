#!/usr/bin/env bash
# The built program in a real X session: starts it from a fresh program
# folder on a virtual X server, waits for the window titled "はこ丸", picks
# the destination 東京 on the map with the pointer, asks the window to close
# as a window manager does when the user clicks the close button (Xvfb has
# none of its own), and checks the settings file that the program wrote on
# closing: the window opened at the top-left corner, where it is saved, and
# the destination is the one after the one picked on the map, chosen with the
# keyboard. Keys go to the window even with the pointer elsewhere: the
# program's window takes the keyboard at start and after the map closes,
# without a window manager to hand it over.
#
#     tests/ui/real_window_test.sh build/bin/hakomaru data
set -euo pipefail
[ -n "${TRACE:-}" ] && set -x

if [ "${1:-}" = "--inside" ]; then
    work="$2"
    "$work/hakomaru" >"$work/program.log" 2>&1 &
    program=$!
    timeout 30 bash -c 'until xdotool search --onlyvisible --name "^はこ丸$" >/dev/null 2>&1; do sleep 0.1; done'
    window=$(xdotool search --onlyvisible --name "^はこ丸$" | head -n 1)
    wait_map() {
        timeout 20 bash -c 'until xdotool search --onlyvisible --name "^届け先選択$" >/dev/null 2>&1; do sleep 0.1; done'
    }
    map_closed() {
        timeout 20 bash -c 'while xdotool search --onlyvisible --name "^届け先選択$" >/dev/null 2>&1; do sleep 0.1; done'
    }

    # The first control in the tab order, the button 届け先：, has the
    # keyboard at start: Space opens the map; closing the map picks nothing.
    xdotool mousemove 1000 700
    xdotool key space
    if ! wait_map; then
        echo "FAIL: Space at start did not reach the window's first control" >&2
        exit 1
    fi
    python3 "$(dirname "$0")/close_window.py" "$(xdotool search --onlyvisible --name "^届け先選択$" | head -n 1)"
    if ! map_closed; then
        echo "FAIL: the map did not close on request" >&2
        exit 1
    fi

    # The map: a click on the button 届け先： (client 200, 9, 56 x 19, below the
    # menu bar, whose height is what the window has above its 269-pixel
    # client area) opens it; a click on the label 東京 (at 312, 216 in the
    # map) picks row 14 and closes the map.
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool mousemove $((X + 228)) $((Y + HEIGHT - 269 + 18)) click 1
    wait_map
    map=$(xdotool search --onlyvisible --name "^届け先選択$" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$map")"
    xdotool mousemove $((X + 312 + 10)) $((Y + 216 + 6)) click 1
    if ! map_closed; then
        echo "FAIL: the map did not close after a click on a prefecture" >&2
        exit 1
    fi
    # The weight list has the keyboard now, the pointer still off the window:
    # one step back in the tab order is the destination list, Down its next
    # row, 神奈川 (15).
    sleep 0.3
    xdotool key shift+Tab Down
    sleep 0.3

    python3 "$(dirname "$0")/close_window.py" "$window"
    if ! timeout 20 tail --pid="$program" -f /dev/null; then
        echo "FAIL: the window did not close" >&2
        kill "$program"
        exit 1
    fi
    status=0
    wait "$program" || status=$?
    exit "$status"
fi

program_file="$1"
data_dir="$2"
for tool in xvfb-run xdotool python3 iconv; do
    if ! command -v "$tool" >/dev/null; then
        echo "SKIP: $tool is not installed"
        exit 77
    fi
done

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cp "$program_file" "$work/hakomaru"
cp "$data_dir/Charge.ini" "$data_dir/MapOfJapan.jpg" "$work/"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
unset QT_QPA_PLATFORM DISPLAY WAYLAND_DISPLAY

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --inside "$work"

if [ ! -f "$work/hakomaru.ini" ]; then
    echo "FAIL: no settings file was written" >&2
    cat "$work/program.log" >&2
    exit 1
fi
settings="$(iconv -f CP932 -t UTF-8 "$work/hakomaru.ini" | tr -d '\r')"
expected="$(printf '[Settings]\nPos_Top=0\nPos_Left=0\n発送地=0\n届け先=15')"
if [ "$settings" != "$expected" ]; then
    echo "FAIL: unexpected settings file:" >&2
    printf '%s\n' "$settings" >&2
    exit 1
fi
echo "PASS: window shown, destination picked on the map and with the keys, closed on request, settings saved"
