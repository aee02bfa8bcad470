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
# without a window manager to hand it over. Polls, never sleeps a fixed time.
#
#     tests/ui/real_window_test.sh build/bin/hakomaru data
set -euo pipefail
[ -n "${TRACE:-}" ] && set -x
source "$(dirname "$0")/../support/x_session.sh"
need_tools xdotool python3 iconv
cp "$1" "$work/hakomaru"
cp "$2/Charge.ini" "$2/MapOfJapan.jpg" "$work/"
unset QT_QPA_PLATFORM
# No window manager: the program hands the keyboard over itself.
start_x_server 1024x768

shown() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
export -f shown
"$work/hakomaru" >"$work/program.log" 2>&1 &
program=$!
within 30 '[ -n "$(shown はこ丸)" ]' || fail "the main window did not show"
window=$(shown はこ丸)

# The first control in the tab order, the button 届け先：, has the keyboard
# at start: Space opens the map; closing the map picks nothing.
xdotool mousemove 1000 700
xdotool key space
within 20 '[ -n "$(shown 届け先選択)" ]' || fail "Space at start did not reach the window's first control"
close_window "$(shown 届け先選択)"
within 20 '[ -z "$(shown 届け先選択)" ]' || fail "the map did not close on request"

# The map: a click on the button 届け先： (client 200, 9, 56 x 19, below the
# menu bar, whose height is what the window has above its 269-pixel client
# area) opens it; a click on the label 東京 (at 312, 216 in the map) picks
# row 14 and closes the map.
eval "$(xdotool getwindowgeometry --shell "$window")"
xdotool mousemove $((X + 228)) $((Y + HEIGHT - 269 + 18)) click 1
within 20 '[ -n "$(shown 届け先選択)" ]' || fail "the button did not open the map"
eval "$(xdotool getwindowgeometry --shell "$(shown 届け先選択)")"
xdotool mousemove $((X + 312 + 10)) $((Y + 216 + 6)) click 1
within 20 '[ -z "$(shown 届け先選択)" ]' || fail "the map did not close after a click on a prefecture"
# The weight list has the keyboard once the main window has it back, the
# pointer still off the window: one step back in the tab order is the
# destination list, Down its next row, 神奈川 (15). The keys reach the
# program before the request to close, which comes after them.
within 20 "[ \"\$(xdotool getwindowfocus)\" = $window ]" || fail "the main window did not take the keyboard back"
xdotool key shift+Tab Down

close_window "$window"
timeout 20 tail --pid="$program" -f /dev/null || fail "the window did not close"
wait "$program" || fail "the program ended with status $?"

[ -f "$work/hakomaru.ini" ] || fail "no settings file was written"
settings="$(iconv -f CP932 -t UTF-8 "$work/hakomaru.ini" | tr -d '\r')"
expected="$(printf '[Settings]\nPos_Top=0\nPos_Left=0\n発送地=0\n届け先=15')"
[ "$settings" = "$expected" ] || fail "unexpected settings file: $settings"
echo "PASS: window shown, destination picked on the map and with the keys, closed on request, settings saved"
