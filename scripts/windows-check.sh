#!/usr/bin/env bash
# The core and the quote tool for Windows: cross-built with mingw-w64 into
# build-windows/ with the Windows front end begun on the Windows API
# (ui/win32), their tests run under wine on an X server with openbox of the
# run's own, the README's quote-tool commands run on the Linux and the
# Windows build with their output compared byte for byte, and the zip a
# Windows user downloads, build-windows/hakomaru-quote-windows.zip, built and
# tried. Installs the cross compiler and wine when they are missing.
# Incremental: safe to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=$root/build-windows
deps=$out/deps

scripts/setup.sh g++-mingw-w64-x86-64-posix wine wine64

# nlohmann-json is header-only: Debian's headers, under a prefix of their
# own, so that the cross compiler never sees the rest of /usr/include.
if [ ! -f "$deps/share/cmake/nlohmann_json/nlohmann_jsonConfig.cmake" ]; then
    mkdir -p "$deps/include" "$deps/share/cmake/nlohmann_json"
    ln -sfn /usr/include/nlohmann "$deps/include/nlohmann"
    cp /usr/share/cmake/nlohmann_json/*.cmake "$deps/share/cmake/nlohmann_json/"
fi
# GoogleTest cross-built from Debian's own sources.
if [ ! -f "$deps/lib/cmake/GTest/GTestConfig.cmake" ]; then
    cmake -S /usr/src/googletest -B "$deps/googletest-build" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX="$deps" >/dev/null
    cmake --build "$deps/googletest-build" -j "$(nproc)"
    cmake --install "$deps/googletest-build" >/dev/null
fi

if [ ! -f "$out/CMakeCache.txt" ]; then
    # Release at -O2, as the Linux build: what the zip ships, and a fifth
    # quicker to build than with debugging information (-O3 would only add
    # GCC 12's false -Wrestrict warnings). Tests are listed when ctest runs
    # them, under wine, not during the build.
    cmake -S . -B "$out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_FLAGS_RELEASE="-O2 -DNDEBUG" -DHAKOMARU_BUILD_UI=OFF -DHAKOMARU_BUILD_BENCH=OFF \
        -DGTest_DIR="$deps/lib/cmake/GTest" \
        -Dnlohmann_json_DIR="$deps/share/cmake/nlohmann_json" \
        -DCMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE=PRE_TEST
fi
cmake --build "$out" -j "$(nproc)"

# Wine in a prefix of its own, made without asking anything (no Mono, no
# Gecko), quiet, and with a UTF-8 locale: wine turns the Unix arguments into
# Windows ones through it, and Japanese names would not survive another.
export WINEPREFIX=$out/wine WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=C.UTF-8
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >/dev/null 2>&1
    wineserver -w # the prefix is complete once its first server has ended
fi
# ---- The Windows front end's tests: an X server and the prefix's fonts ----
# The windows' tests need a display, the window-manager test openbox on it,
# and the clipboard test xclip: an X server with openbox of the run's own,
# before the wine server starts (wine's desktop process, which owns the X
# clipboard and tells the screen's size, stays on the display of the first
# window). The prefix maps the windows' font names to the IPA fonts, lets
# the controls' test windows go unmanaged (unmapping a managed window waits
# for the window manager), and starts at 96 dpi whatever a stopped 192-dpi
# test left.
scripts/setup.sh xclip
# shellcheck source=../tests/support/x_session.sh
source tests/support/x_session.sh
need_tools Xvfb openbox xprop
start_x_server 1024x768
start_window_manager
# regedit reads UTF-16 with a byte order mark.
{
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]'
    for font in ＭＳ_Ｐゴシック:IPAPGothic MS_PGothic:IPAPGothic MS_UI_Gothic:IPAPGothic \
        ＭＳ_ゴシック:IPAGothic MS_Gothic:IPAGothic ＭＳ_Ｐ明朝:IPAPMincho MS_PMincho:IPAPMincho \
        ＭＳ_明朝:IPAMincho MS_Mincho:IPAMincho; do
        name=${font%%:*}
        printf '"%s"="%s"\r\n' "${name//_/ }" "${font#*:}"
    done
    printf '%s\r\n' '' '[HKEY_CURRENT_USER\Software\Wine\AppDefaults\win32_tests.exe\X11 Driver]' \
        '"Managed"="N"' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' '"LogPixels"=dword:00000060'
} | iconv -f UTF-8 -t UTF-16 >"$out/win32-prefix.reg"
wine regedit /S "$(winepath -w "$out/win32-prefix.reg")" </dev/null >/dev/null 2>&1

# One wine server for the whole run, instead of one start of wine per test
# (a server left from an earlier run of this prefix goes first). Then
# wineboot starts wine's own services, which live as long as the server.
# Both with standard streams that lead nowhere: what they hold open, they
# would hold for ever, and services started by the first test would keep its
# error pipe open, so that ctest, listing the tests, would wait on it until
# its time-out.
wineserver -k 2>/dev/null || true
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k 2>/dev/null || true; x_session_cleanup' EXIT
wineboot </dev/null >/dev/null 2>&1

ctest --test-dir "$out" --output-on-failure -j "$(nproc)" --timeout 600

# ---- The README's quote-tool commands on both builds ----
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build build --target hakomaru-quote >/dev/null
# Each program in a folder of its own with the shipped tariff, started
# through PATH from the repository root as a user types it: the program
# finds the tariff beside itself.
cmpdir=$out/compare
rm -rf "$cmpdir"
mkdir -p "$cmpdir/linux" "$cmpdir/windows"
cp build/bin/hakomaru-quote data/Charge.ini "$cmpdir/linux/"
cp "$out/bin/hakomaru-quote.exe" data/Charge.ini "$cmpdir/windows/"
cp data/Charge.ini "$cmpdir/linux/copy.ini"
cp data/Charge.ini "$cmpdir/windows/copy.ini"
winfolder=$(winepath -w "$cmpdir/windows")
json_examples=$(printf '%s\n' \
    '{"quote":"letter","WeightRow":5,"Sokutatsu":true}' \
    '{"quote":"youpack","FromCaption":"東京","ToRow":30,"WeightRow":1,"Shitei":true}' \
    '{"quote":"cat","FromRow":14,"ToRow":30,"WeightRow":1,"SizeRow":1,"Home":true}' \
    '{"quote":"book","WeightRow":10,"Daihiki":true,"DaihikiText":"1"}' \
    'not json')

# run NAME SYSTEM INPUT ARGS...: standard output, error and exit status of
# one command into $cmpdir/SYSTEM/NAME.*; run in $cmpdir/SYSTEM when $here says so.
run() {
    local name=$1 system=$2 input=$3
    shift 3
    local status=0 dir=$root
    [ "${here:-}" = own ] && dir=$cmpdir/$system
    if [ "$system" = linux ]; then
        (cd "$dir" && printf '%s' "$input" | PATH="$cmpdir/linux:$PATH" hakomaru-quote "$@") \
            >"$cmpdir/linux/$name.out" 2>"$cmpdir/linux/$name.err" || status=$?
    else
        (cd "$dir" && printf '%s' "$input" |
            WINEPATH="$winfolder" wine cmd /c hakomaru-quote "$@") \
            >"$cmpdir/windows/$name.out" 2>"$cmpdir/windows/$name.err" || status=$?
    fi
    echo "$status" >"$cmpdir/$system/$name.status"
}

compared=0
for system in linux windows; do
    run help "$system" "" --help
    run compare-help "$system" "" compare --help
    run parcel "$system" "" --from 東京 --to 大阪 --weight 2kg --size 60cm
    run options "$system" "" --from 北海道 --to 沖縄 --weight 10kg --size 100cm \
        --cod 3 --you-daihiki --cat-home --fukusu 2
    run letter "$system" "" letter --weight 50g --sokutatsu
    run rows "$system" "" rows
    run jsonl "$system" "$json_examples" --jsonl
    run check "$system" "" check --tariff data/Charge.ini
    run compare "$system" "" compare --csv docs/parcels.csv
    run compare-stdin "$system" "$(printf '東京,大阪,2kg,60cm\r\n札幌,那覇,3,80\n')" \
        compare --csv - --no-bom
    here=own run set "$system" "" set --tariff copy.ini ゆうパック 第1地帯 2kg以下 820
    here=own run set-refused "$system" "" set --tariff copy.ini ゆうパック 第1地帯 4kg以下 12345
    run unknown-name "$system" "" --from 서울 --to 大阪 --weight 2 --size 60
done
# The help's example commands are each system's own (its paths, its shell's
# way to pipe a line into the tool); the rest of the help is the same.
without_examples() {
    grep -vE '^    (hakomaru-quote|printf|echo) ' "$1"
}
for file in "$cmpdir"/linux/*.out "$cmpdir"/linux/*.err "$cmpdir"/linux/*.status; do
    name=$(basename "$file")
    if [ "$name" = help.out ]; then
        cmp -s <(without_examples "$file") <(without_examples "$cmpdir/windows/$name") ||
            { echo "windows-check: the help differs beyond its examples:"; \
              diff "$file" "$cmpdir/windows/$name" | head -20; exit 1; }
        grep -q '^    hakomaru-quote diff Charge.ini %USERPROFILE%' "$cmpdir/windows/$name" ||
            { echo "windows-check: the Windows help shows no Windows paths"; exit 1; }
    elif ! cmp -s "$file" "$cmpdir/windows/$name"; then
        echo "windows-check: $name differs between the Linux and the Windows build:"
        diff <(od -c "$file") <(od -c "$cmpdir/windows/$name") | head -20
        exit 1
    fi
    compared=$((compared + 1))
done
cmp "$cmpdir/linux/copy.ini" "$cmpdir/windows/copy.ini" ||
    { echo "windows-check: set left different tariffs"; exit 1; }
grep -q '¥' "$cmpdir/windows/parcel.out" ||
    { echo "windows-check: the quote by Japanese names gave no totals"; exit 1; }
echo "windows-check: $compared outputs of the quote tool are the same on Linux and Windows"

# ---- The zip ----
stage=$out/zip/hakomaru-quote
rm -rf "$out/zip" "$out/hakomaru-quote-windows.zip"
mkdir -p "$stage"
x86_64-w64-mingw32-strip -o "$stage/hakomaru-quote.exe" "$out/bin/hakomaru-quote.exe"
cp data/Charge.ini docs/parcels.csv "$stage/"
# The read-me as Windows Notepad opens it in any version: UTF-8 with a byte
# order mark and CR LF line ends.
{ printf '\xEF\xBB\xBF'; sed 's/$/\r/' docs/windows/Readme.txt; } >"$stage/Readme.txt"
(cd "$out/zip" && cmake -E tar cf ../hakomaru-quote-windows.zip --format=zip hakomaru-quote)
# Unpacked elsewhere, the tool runs and finds its tariff.
tryout=$out/zip-tryout
rm -rf "$tryout"
mkdir -p "$tryout"
(cd "$tryout" && cmake -E tar xf ../hakomaru-quote-windows.zip)
(cd "$tryout" && wine hakomaru-quote/hakomaru-quote.exe check </dev/null) |
    grep -q '問題はありません' || { echo "windows-check: the zipped tool fails"; exit 1; }
example=$(cd "$tryout/hakomaru-quote" && wine hakomaru-quote.exe compare --csv parcels.csv </dev/null) &&
    grep -q 'クロネコ' <<<"$example" ||
    { echo "windows-check: the zipped example CSV does not compare"; exit 1; }
rm -rf "$tryout"
echo "windows-check: $(du -k "$out/hakomaru-quote-windows.zip" | cut -f1) KiB" \
    "build-windows/hakomaru-quote-windows.zip"
