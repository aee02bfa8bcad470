#!/usr/bin/env bash
# Builds everything and starts はこ丸.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh

# The program is a desktop window. Without a display it runs on a virtual X
# server of its own (Xvfb, installed by the build's set-up), and says so.
headless=0
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    headless=1
fi

# Qt warns on every start when this is unset; give it a private one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi
if [ "$headless" = 1 ]; then
    echo "start.sh: no display (DISPLAY and WAYLAND_DISPLAY are unset): starting はこ丸 on a virtual X server (Xvfb); stop it with Ctrl+C" >&2
    exec xvfb-run -a -s "-screen 0 1024x768x24" sh -c \
        'echo "start.sh: はこ丸 runs on virtual display $DISPLAY" >&2; exec "$0" "$@"' \
        build/bin/hakomaru "$@"
fi
exec build/bin/hakomaru "$@"
