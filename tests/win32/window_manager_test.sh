#!/usr/bin/env bash
# The probe program under wine on its own X server with openbox: its window
# is found by its title はこ丸, a click and typed text reach its controls
# (速達 clicked; the amount 6 checks 書留), and the quote copied from the
# group's popup menu is read back from the X clipboard. Prints the time from
# start to a visible window. Polls, never sleeps a fixed time. Runs in the
# wine prefix of scripts/windows-check.sh.
#   window_manager_test.sh PROBE.exe DATA_DIR
set -euo pipefail
for tool in Xvfb openbox xdotool xprop xwininfo xclip wine python3; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=openbox_session.sh
. "$here/openbox_session.sh"
work=$(mktemp -d)
cp "$1" "$2/Charge.ini" "$work/"
program=
trap 'kill ${program:-} 2>/dev/null || true; openbox_session_stop; rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }
openbox_session_start "$work" || fail "no X session"

window() { xdotool search --onlyvisible --name '^はこ丸$' 2>/dev/null | head -n 1; }
export -f window
started=$(date +%s%N)
(cd "$work" && exec wine "$(basename "$1")" >"$work/program.log" 2>&1) &
program=$!
within 60 '[ -n "$(window)" ]' || fail "the window はこ丸 did not show"
echo "start-up to a visible window: $((($(date +%s%N) - started) / 1000000)) ms"

# The X window holds the menu bar above the client area: the client area
# is its bottom 269 pixels (96 dpi). Points below are in the client area.
id=$(window)
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

python3 "$here/../ui/close_window.py" "$id"
timeout 20 tail --pid="$program" -f /dev/null || fail "the program did not end"
program=
echo "PASS"
