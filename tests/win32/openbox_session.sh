# A virtual X server with openbox on it, for the wine session of
# scripts/windows-check.sh and its window-manager test. Sourced; defines:
#   openbox_session_start DIR  starts both (logs and the display number in
#                              DIR), exports DISPLAY, and returns once
#                              openbox manages the screen
#   openbox_session_stop       ends both
#   within SECONDS CONDITION   polls a shell condition until it holds
# Meant to give way to one helper shared by every window-manager test.

within() { timeout "$1" bash -c "until $2; do sleep 0.05; done"; }

openbox_session_start() {
    local dir=$1
    mkdir -p "$dir"
    # The server picks a free display itself, so tests side by side never race.
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$dir/display" 2>/dev/null &
    openbox_session_xvfb=$!
    within 20 "[ -s '$dir/display' ]" || { echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$(head -n 1 "$dir/display")"
    local attempt
    # openbox once failed to come up on a loaded machine: one more try.
    for attempt in 1 2; do
        openbox --sm-disable >>"$dir/openbox.log" 2>&1 &
        openbox_session_wm=$!
        if within 20 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'; then
            return 0
        fi
        kill "$openbox_session_wm" 2>/dev/null || true
    done
    echo "openbox did not start: $(cat "$dir/openbox.log")" >&2
    return 1
}

openbox_session_stop() {
    kill "${openbox_session_wm:-}" "${openbox_session_xvfb:-}" 2>/dev/null || true
    wait "${openbox_session_wm:-}" "${openbox_session_xvfb:-}" 2>/dev/null || true
}
