#!/usr/bin/env bash
# Takes the README's screenshots of the main window, the postal window and
# the tariff editor on a virtual X server and writes them to docs/. Run it after a change that
# alters how the windows look: scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh >/dev/null
scripts/setup.sh imagemagick python3-tk # import and convert; a clipboard to paste from

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
# A paste of a 3 x 4 block from a spreadsheet into the ゆうパック fees, one
# value too long for its field: the list of refused values. Then ファイル →
# 比較 with a copy of the tariff changed in five fields. The screen has no
# window manager: a click gives the window the keyboard.
cp "$work/Charge.ini" "$work/Charge-new.ini"
for field in "ゆうパック 第1地帯 2kg以下 650" "ゆうパック 第1地帯 4kg以下 750" \
    "北海道 関東 60cm以下 1350" "速達 2kg 320" "地帯区分 東京 大阪 5"; do
    # shellcheck disable=SC2086 # the words are the command's arguments
    build/bin/hakomaru-quote set --tariff "$work/Charge-new.ini" $field >/dev/null
done
xvfb-run -a -s "-screen 0 1000x640x24" bash -c '
    cd "$1"
    wait_for() {
        timeout 20 bash -c "until xdotool search --onlyvisible --name \"$1\" >/dev/null 2>&1; do sleep 0.1; done"
    }
    ./hakomaru-tariff Charge.ini & program=$!
    wait_for 料金表の編集
    sleep 1
    # The clipboard as a spreadsheet leaves it, offered until the end.
    printf "1100\t1300\t1500\t1700\r\n1200\t1400\t16000\t1800\r\n1250\t1450\t1650\t1850\r\n" |
        python3 -c "
import sys, time, tkinter
root = tkinter.Tk()
root.withdraw()
root.clipboard_clear()
root.clipboard_append(sys.stdin.read())
while True:
    root.update()
    time.sleep(0.05)
" & clipboard=$!
    sleep 1
    xdotool mousemove 45 47 click 1  # ゆうパック in the side list
    sleep 0.5
    xdotool mousemove 280 89 click 1 # 第2地帯, 4kg以下
    sleep 0.3
    xdotool key ctrl+v
    wait_for 貼り付けられない値
    sleep 1
    import -window root "$1/paste.png"
    xdotool key Escape
    sleep 0.3
    xdotool mousemove 35 8 click 1   # ファイル
    sleep 0.3
    xdotool key c                    # 比較
    sleep 1.5
    xdotool type --delay 20 "$1/Charge-new.ini"
    xdotool key Return
    wait_for 比較
    sleep 1
    xdotool mousemove 160 519 click 1 # a difference chosen, in the comparison below the editor
    sleep 0.5
    import -window root "$1/compare.png"
    kill $program $clipboard' _ "$work"
convert "$work/paste.png" -crop 1000x640+0+0 +repage docs/tariff-paste.png
convert "$work/compare.png" -crop 1000x640+0+0 +repage docs/tariff-compare.png
echo "wrote docs/main-window.png, docs/main-and-postal.png, docs/tariff-editor.png," \
    "docs/tariff-paste.png and docs/tariff-compare.png"
