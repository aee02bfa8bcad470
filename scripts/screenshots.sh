#!/usr/bin/env bash
# Takes the README's screenshots of the main window, the postal window and
# the tariff editor on a virtual X server and writes them to docs/. Run it after a change that
# alters how the windows look: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
scripts/setup.sh imagemagick # import and convert

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The shipped tariff, not the one a user may have edited beside the program.
cp -r build/bin/hakomaru build/bin/hakomaru-tariff data/Charge.ini build/bin/Help build/bin/MapOfJapan.jpg "$work/"
# Main window at (220, 10) with the postal window open beside it, Tokyo to Osaka.
printf '[Settings]\r\nPos_Top=10\r\nPos_Left=220\r\n%s=14\r\n%s=30\r\n%s=1\r\n' \
    "$(printf '発送地' | iconv -f UTF-8 -t CP932)" "$(printf '届け先' | iconv -f UTF-8 -t CP932)" \
    "$(printf '普通郵便表示' | iconv -f UTF-8 -t CP932)" >"$work/hakomaru.ini"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
xvfb-run -a -s "-screen 0 800x480x24" bash -c '
    cd "$1"
    ./hakomaru & program=$!
    timeout 20 bash -c "until xdotool search --onlyvisible --name \"^はこ丸$\" >/dev/null 2>&1; do sleep 0.1; done"
    sleep 1
    import -window root "$1/screen.png"
    kill $program' _ "$work"
convert "$work/screen.png" -crop 410x330+220+0 +repage docs/main-window.png
convert "$work/screen.png" -crop 640x330+0+0 +repage docs/main-and-postal.png
# The tariff editor on the shipped tariff, alone on its screen.
xvfb-run -a -s "-screen 0 1000x640x24" bash -c '
    cd "$1"
    ./hakomaru-tariff Charge.ini & program=$!
    timeout 20 bash -c "until xdotool search --onlyvisible --name \"料金表の編集\" >/dev/null 2>&1; do sleep 0.1; done"
    sleep 1
    import -window root "$1/editor.png"
    kill $program' _ "$work"
convert "$work/editor.png" -crop 1000x640+0+0 +repage docs/tariff-editor.png
echo "wrote docs/main-window.png, docs/main-and-postal.png and docs/tariff-editor.png"
