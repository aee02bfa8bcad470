# The desktop of the tests that run a program in a real X session: a virtual
# X server on a free display, openbox on it, a scratch folder, and what every
# such test needs to wait, to fail and to clean up. Source it:
#
#     source "$(dirname "$0")/../support/x_session.sh"
#     need_tools xdotool xprop        # exits 77 (skipped) when one is missing
#     start_x_server 1024x768         # Xvfb on a free display; exports DISPLAY
#     start_window_manager            # openbox, tried twice
#
# It gives $work, a fresh folder removed at exit, with a private runtime
# folder (XDG_RUNTIME_DIR) as a desktop session has. At exit every process
# the test still runs in the background (the server, the window manager, a
# program that did not end) is ended and $work removed.
# `within SECONDS CONDITION` polls a shell condition (functions it calls must
# be exported) until it holds; never a fixed sleep. `fail MESSAGE` prints the
# message and the files listed in logs_on_failure (the program's log,
# $work/program.log, unless the test says otherwise) and exits 1.
# `close_window ID` asks a window to close as a window manager's close button
# does, also where none runs.

work="$(mktemp -d)"
mkdir -m 700 "$work/runtime"
export XDG_RUNTIME_DIR="$work/runtime"
unset WAYLAND_DISPLAY
logs_on_failure=("$work/program.log")
x_session_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

x_session_cleanup() {
    local running
    running=$(jobs -p)
    [ -z "$running" ] || kill $running 2>/dev/null || true
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap x_session_cleanup EXIT

need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
    done
}

fail() {
    echo "FAIL: $*" >&2
    local log
    for log in "${logs_on_failure[@]}"; do
        [ -f "$log" ] && cat "$log" >&2
    done
    exit 1
}

within() { timeout "$1" bash -c "until $2; do sleep 0.05; done"; }

close_window() { python3 "$x_session_dir/close_window.py" "$1"; }

# $1: the screen's size, WIDTHxHEIGHT. The server picks a free display
# itself, so tests side by side never race for one.
start_x_server() {
    need_tools Xvfb
    Xvfb -displayfd 3 -screen 0 "$1x24" -nolisten tcp 3>"$work/display" 2>/dev/null &
    within 20 "[ -s $work/display ]" || fail "Xvfb did not start"
    DISPLAY=":$(head -n 1 "$work/display")"
    export DISPLAY
}

# openbox once failed to come up on a loaded machine: one more try before
# the test fails.
start_window_manager() {
    need_tools openbox xprop
    local try
    for try in 1 2; do
        openbox --sm-disable >>"$work/openbox.log" 2>&1 &
        local wm=$!
        within 20 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' && return 0
        kill "$wm" 2>/dev/null || true
    done
    fail "openbox did not start: $(cat "$work/openbox.log")"
}
