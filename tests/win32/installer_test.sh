#!/usr/bin/env bash
# The Windows installer under wine, as a user meets it: its tables checked
# with msiinfo; installed with `msiexec /i … /qn`, the program started from
# where it was installed and its window found by its title はこ丸, the quote
# tool run there; uninstalled with `msiexec /x … /qn`, leaving the user's
# settings; and an upgrade from the build before it over a tariff edited
# with `hakomaru-quote set`, which keeps the edited tariff and replaces the
# older product. wine writes no menu entry into the host's home folder.
#
# Runs in the wine session of scripts/windows-check.sh (its prefix, its X
# server with openbox), after the installer is built.
#   installer_test.sh BUILD_DIR     (BUILD_DIR/hakomaru.msi, BUILD_DIR/hakomaru.wxs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
need_tools wine winepath msiinfo xdotool
build=$(cd "$1" && pwd)
msi=$build/hakomaru.msi
[ -n "${WINEPREFIX:-}" ] || fail "no wine prefix: run under scripts/windows-check.sh"
case ${WINEDLLOVERRIDES:-} in
*winemenubuilder.exe=d*) ;;
*) fail "WINEDLLOVERRIDES must keep winemenubuilder.exe from writing menu entries" ;;
esac
logs_on_failure=("$work/program.log")
drive_c=$WINEPREFIX/drive_c
folder="$drive_c/Program Files/hakomaru"
host_menus=${XDG_DATA_HOME:-$HOME/.local/share}/applications/wine
menus_before=$(find "$host_menus" 2>/dev/null | sort || true)

# ---- The tables ----
table() { msiinfo export "$1" "$2" | tr -d '\r'; }
row() { table "$1" "$2" | awk -F'\t' -v key="$3" '$1 == key'; }
[ "$(row "$msi" Property ProductName | cut -f2)" = はこ丸 ] || fail "the product is not named はこ丸"
[ "$(row "$msi" Shortcut StartMenuShortcut | cut -f2-3)" = "ProgramMenuFolder	HAKOMARU|はこ丸" ] ||
    fail "no Start-menu entry はこ丸: $(row "$msi" Shortcut StartMenuShortcut)"
[ "$(row "$msi" Component Tariff | cut -f4)" = 384 ] || fail "an install may overwrite the tariff"
sequence() { row "$msi" InstallExecuteSequence "$1" | cut -f3; }
[ "$(sequence RemoveExistingProducts)" -gt "$(sequence InstallFiles)" ] ||
    fail "an upgrade removes the old version before it installs the tariff it keeps"
for file in hakomaru.exe hakomaru-quote.exe Charge.ini MapOfJapan.jpg MapOfJapan@2x.jpg \
    parcels.csv Sobato.htm howto.htm; do
    table "$msi" File | cut -f3 | grep -qx "$file" || fail "the installer lacks $file"
done
version=$(row "$msi" Property ProductVersion | cut -f2)

# ---- msiexec ----
# msiexec ACTION MSI: installs (/i) or removes (/x) without a word; its
# log goes to $work/install.log.
msiexec_quiet() {
    wine msiexec "$1" "$(winepath -w "$2")" /qn /l*v "$(winepath -w "$work/install.log")" \
        </dev/null >/dev/null 2>&1 || { tail -n 20 "$work/install.log"; return 1; }
}
registered() {
    wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$1" \
        </dev/null >/dev/null 2>&1
}
product_code() { row "$1" Property ProductCode | cut -f2; }
shortcut() { find "$drive_c" -name 'はこ丸.lnk' 2>/dev/null | head -n 1; }
# Whatever a failed run left installed goes at exit, so that the next run
# starts from a prefix without はこ丸.
older=$work/older
uninstall_all() {
    local package
    for package in "$msi" "$older/hakomaru.msi"; do
        [ -f "$package" ] && wine msiexec /x "$(winepath -w "$package")" /qn </dev/null >/dev/null 2>&1 || true
    done
    rm -rf "$folder"
}
trap 'uninstall_all; x_session_cleanup' EXIT
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')")

# The build before this one: the same source a version lower.
IFS=. read -r major minor build_number <<<"$version"
[ "$build_number" -gt 0 ] || fail "no version below $version to upgrade from"
mkdir -p "$older"
sed "s/Version=\"$version\"/Version=\"$major.$minor.$((build_number - 1))\"/" "$build/hakomaru.wxs" \
    >"$build/hakomaru-older.wxs"
bash "$here/../../cmake/win32/make_msi.sh" "$build/hakomaru-older.wxs" "$older/hakomaru.msi"
rm -f "$build/hakomaru-older.wxs"

msiexec_quiet /i "$msi" || fail "msiexec /i failed"
for file in hakomaru.exe hakomaru-quote.exe Charge.ini MapOfJapan.jpg MapOfJapan@2x.jpg \
    parcels.csv Help/Sobato.htm Help/howto.htm; do
    [ -f "$folder/$file" ] || fail "not installed: $file"
done
cmp -s "$folder/Charge.ini" "$here/../../data/Charge.ini" || fail "the installed tariff is not the shipped one"
[ -n "$(shortcut)" ] || fail "no Start-menu entry はこ丸.lnk"
registered "$(product_code "$msi")" || fail "the installed programs do not list はこ丸"

# The installed program, started from its folder as the Start menu does.
window() { xdotool search --onlyvisible --name '^はこ丸$' 2>/dev/null | head -n 1; }
export -f window
(cd "$folder" && exec wine "C:\\Program Files\\hakomaru\\hakomaru.exe" >"$work/program.log" 2>&1) &
program=$!
within 60 '[ -n "$(window)" ]' || fail "the installed program showed no window はこ丸"
close_window "$(window)"
timeout 20 tail --pid="$program" -f /dev/null || fail "the installed program did not end"
(cd "$work" && wine "C:\\Program Files\\hakomaru\\hakomaru-quote.exe" check </dev/null) |
    grep -q '問題はありません' || fail "the installed quote tool does not find its tariff"

# The user's settings, beside the program (where it can write, as under
# wine) and in the user's folder, are the user's: an uninstall leaves them.
printf '[Settings]\r\nPos_Top=10\r\n' >"$work/settings.ini"
cp "$work/settings.ini" "$folder/hakomaru.ini"
mkdir -p "$appdata/hakomaru"
cp "$work/settings.ini" "$appdata/hakomaru/hakomaru.ini"
msiexec_quiet /x "$msi" || fail "msiexec /x failed"
for file in hakomaru.exe hakomaru-quote.exe Charge.ini MapOfJapan.jpg Help; do
    [ ! -e "$folder/$file" ] || fail "the uninstall left $file"
done
[ -z "$(shortcut)" ] || fail "the uninstall left the Start-menu entry"
! registered "$(product_code "$msi")" || fail "the uninstalled product is still listed"
cmp -s "$folder/hakomaru.ini" "$work/settings.ini" &&
    cmp -s "$appdata/hakomaru/hakomaru.ini" "$work/settings.ini" ||
    fail "the uninstall took the user's settings"
rm -rf "$folder" "$appdata/hakomaru"

# ---- An upgrade over an edited tariff ----
msiexec_quiet /i "$older/hakomaru.msi" || fail "the older installer failed"
(cd "$work" && wine "C:\\Program Files\\hakomaru\\hakomaru-quote.exe" set ゆうパック 第1地帯 2kg以下 777 \
    </dev/null >/dev/null) || fail "hakomaru-quote set failed on the installed tariff"
cp "$folder/Charge.ini" "$work/edited.ini"
cmp -s "$work/edited.ini" "$here/../../data/Charge.ini" && fail "set changed nothing"
msiexec_quiet /i "$msi" || fail "the upgrade failed"
cmp -s "$folder/Charge.ini" "$work/edited.ini" || fail "the upgrade replaced the edited tariff"
registered "$(product_code "$msi")" || fail "the upgrade is not listed"
! registered "$(product_code "$older/hakomaru.msi")" || fail "the older version is still listed"
[ -f "$folder/hakomaru.exe" ] && [ -n "$(shortcut)" ] || fail "the upgrade left the program incomplete"
msiexec_quiet /x "$msi" || fail "msiexec /x failed after the upgrade"
[ ! -e "$folder/hakomaru.exe" ] || fail "the uninstall after the upgrade left the program"

[ "$(find "$host_menus" 2>/dev/null | sort || true)" = "$menus_before" ] ||
    fail "wine wrote menu entries into $host_menus"
echo "installer: $(du -k "$msi" | cut -f1) KiB, installed, started, upgraded over an edited tariff, uninstalled"
