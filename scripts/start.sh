#!/usr/bin/env bash
# Builds everything and starts はこ丸.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh

# The program is a desktop window: without a display it cannot start.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    cat >&2 <<'MSG'
はこ丸 needs a graphical display, and none was found (DISPLAY and WAYLAND_DISPLAY are unset).
Start it on a desktop session, or under a virtual X server:
    xvfb-run -a scripts/start.sh
MSG
    exit 1
fi

# Qt warns on every start when this is unset; give it a private one.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    chmod 700 "$XDG_RUNTIME_DIR"
    export XDG_RUNTIME_DIR
fi
exec build/bin/hakomaru "$@"
