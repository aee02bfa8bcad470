#!/usr/bin/env bash
# The Windows installer under wine, as a user meets it: its tables checked
# with msiinfo; `msiexec /i … /qn`, the installed program's window はこ丸 and
# quote tool; a refused downgrade; `msiexec /x … /qn`, which leaves the
# user's settings; an upgrade from the build before over a tariff edited
# with `hakomaru-quote set`, which keeps it. No menu entry reaches the host.
# Runs in scripts/windows-check.sh's wine session (prefix, X server, openbox).
#   installer_test.sh BUILD_DIR     (BUILD_DIR/hakomaru.msi, BUILD_DIR/hakomaru.wxs)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../support/x_session.sh
source "$here/../support/x_session.sh"
need_tools wine winepath msiinfo xdotool
[[ ${WINEPREFIX:-} && ${WINEDLLOVERRIDES:-} == *winemenubuilder.exe=d* ]] ||
    fail "run under scripts/windows-check.sh (its prefix, no winemenubuilder)"
build=$(cd "$1" && pwd)
msi=$build/hakomaru.msi older=$work/older.msi shipped=$here/../../data/Charge.ini
folder="$WINEPREFIX/drive_c/Program Files/hakomaru"
menus=${XDG_DATA_HOME:-$HOME/.local/share}/applications/wine
menus_before=$(find "$menus" 2>/dev/null | sort || true)

row() { msiinfo export "$1" "$2" | tr -d '\r' | awk -F'\t' -v key="$3" '$1 == key'; }
[ "$(row "$msi" Property ProductName | cut -f2)" = はこ丸 ] || fail "the product is not はこ丸"
[ "$(row "$msi" Shortcut StartMenuShortcut | cut -f2,3)" = $'ProgramMenuFolder\tHAKOMARU|はこ丸' ] ||
    fail "no Start-menu entry はこ丸"
[ "$(row "$msi" Component Tariff | cut -f4)" = 384 ] || fail "an install may overwrite the tariff"
[ "$(row "$msi" InstallExecuteSequence RemoveExistingProducts | cut -f3)" -gt \
  "$(row "$msi" InstallExecuteSequence InstallFiles | cut -f3)" ] ||
    fail "an upgrade removes the old version before it installs the one keeping the tariff"

quietly() { "$@" </dev/null >/dev/null 2>&1; }
logs_on_failure=("$work/program.log" "$work/msi-end.log")
msiexec_quiet() { # /i or /x, MSI; the end of its log kept for a failure
    local status=0
    quietly wine msiexec "$1" "$(winepath -w "$2")" /qn /l*v "$(winepath -w "$work/msi.log")" ||
        status=$?
    tail -n 20 "$work/msi.log" >"$work/msi-end.log" 2>/dev/null || true
    return $status
}
listed() {
    quietly wine reg query "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$(
        row "$1" Property ProductCode | cut -f2)"
}
installed() { # the files and the Start-menu entry
    local file
    for file in hakomaru.exe hakomaru-quote.exe Charge.ini MapOfJapan.jpg MapOfJapan@2x.jpg \
        parcels.csv Help/Sobato.htm Help/howto.htm; do [ -f "$folder/$file" ] || return 1; done
    [ -n "$(find "$WINEPREFIX/drive_c" -name 'はこ丸.lnk')" ]
}
quote() { (cd "$work" && wine "C:\\Program Files\\hakomaru\\hakomaru-quote.exe" "$@" </dev/null); }
# What a failed run left installed goes, so that the next run starts clean.
trap 'for m in "$msi" "$older"; do [ ! -f "$m" ] || msiexec_quiet /x "$m" || true; done
      rm -rf "$folder"; x_session_cleanup' EXIT

# The build before this one: the same source, one version lower.
IFS=. read -r major minor number < <(row "$msi" Property ProductVersion | cut -f2)
sed "s/Version=\"$major.$minor.$number\"/Version=\"$major.$minor.$((number - 1))\"/" \
    "$build/hakomaru.wxs" >"$build/hakomaru-older.wxs"
bash "$here/../../cmake/win32/make_msi.sh" "$build/hakomaru-older.wxs" "$older"
rm "$build/hakomaru-older.wxs"

msiexec_quiet /i "$msi" || fail "msiexec /i failed"
installed && listed "$msi" && cmp -s "$folder/Charge.ini" "$shipped" || fail "not installed whole"
window() { xdotool search --onlyvisible --name '^はこ丸$' 2>/dev/null | head -n 1; }
export -f window
(cd "$folder" && exec wine "C:\\Program Files\\hakomaru\\hakomaru.exe" >"$work/program.log" 2>&1) &
within 60 '[ -n "$(window)" ]' || fail "the installed program showed no window はこ丸"
close_window "$(window)"
timeout 20 tail --pid=$! -f /dev/null || fail "the installed program did not end"
quote check | grep -q '問題はありません' || fail "the installed quote tool finds no tariff"
! msiexec_quiet /i "$older" && ! listed "$older" && listed "$msi" || fail "a downgrade was installed"

# The settings, beside the program (writable under wine) and in the user's
# folder, are the user's.
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')")
printf '[Settings]\r\nPos_Top=10\r\n' | tee "$folder/hakomaru.ini" >"$work/settings.ini"
mkdir -p "$appdata/hakomaru" && cp "$work/settings.ini" "$appdata/hakomaru/hakomaru.ini"
msiexec_quiet /x "$msi" || fail "msiexec /x failed"
! listed "$msi" && [ -z "$(find "$WINEPREFIX/drive_c" -name 'はこ丸.lnk')" ] &&
    [ "$(ls "$folder")" = hakomaru.ini ] || fail "the uninstall left: $(ls "$folder")"
cmp -s "$folder/hakomaru.ini" "$work/settings.ini" &&
    cmp -s "$appdata/hakomaru/hakomaru.ini" "$work/settings.ini" || fail "the uninstall took the settings"
rm -rf "$folder" "$appdata/hakomaru"

msiexec_quiet /i "$older" || fail "the older installer failed"
quietly quote set ゆうパック 第1地帯 2kg以下 777 && ! cmp -s "$folder/Charge.ini" "$shipped" ||
    fail "hakomaru-quote set changed nothing"
cp "$folder/Charge.ini" "$work/edited.ini"
msiexec_quiet /i "$msi" || fail "the upgrade failed"
cmp -s "$folder/Charge.ini" "$work/edited.ini" || fail "the upgrade replaced the edited tariff"
installed && listed "$msi" && ! listed "$older" || fail "the upgrade did not replace the older version"
msiexec_quiet /x "$msi" && [ ! -e "$folder/hakomaru.exe" ] || fail "the uninstall after the upgrade failed"

[ "$(find "$menus" 2>/dev/null | sort || true)" = "$menus_before" ] || fail "wine wrote menu entries into $menus"
echo "installer: $(du -k "$msi" | cut -f1) KiB; installed, started, upgraded, uninstalled"
