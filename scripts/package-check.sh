#!/usr/bin/env bash
# Builds the Debian packages of はこ丸 (hakomaru, and hakomaru-tariff with
# the tariff editor) and checks them: the file lists, the dependencies, the
# launchers (desktop-file-validate), lintian, a run of the unpacked
# programs, and dpkg keeping an edited tariff when the package is installed
# again or upgraded. Then the same from a copy of the sources unpacked by
# `git archive` under umask 002, as a tarball on a fresh machine gives them
# (files 0664): the install rules, not the tree, give every file its mode.
# Installs what it needs first.
#
#   scripts/package-check.sh            # build folder build-package/
#   HAKOMARU_PACKAGE_BUILD=dir scripts/package-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."

build=${HAKOMARU_PACKAGE_BUILD:-build-package}
fail() {
    echo "package-check: $*" >&2
    exit 1
}

scripts/setup.sh lintian desktop-file-utils

# Debian's hardening flags, as a package build would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)"
ldflags=$(dpkg-buildflags --get LDFLAGS)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" \
    -DHAKOMARU_BUILD_TESTS=OFF -DHAKOMARU_BUILD_BENCH=OFF -DHAKOMARU_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/hakomaru_*.deb "$build"/hakomaru-tariff_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/hakomaru_*.deb)
[ -f "${debs[0]}" ] || fail "no package was built"
deb=${debs[0]}
editors=("$build"/hakomaru-tariff_*.deb)
[ -f "${editors[0]}" ] || fail "the editor's package was not built"
editor_deb=${editors[0]}
echo "package-check: $deb $editor_deb"

# The file list.
list=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
for path in \
    /usr/lib/hakomaru/hakomaru \
    /usr/lib/hakomaru/hakomaru-quote \
    /usr/lib/hakomaru/Charge.ini \
    /etc/hakomaru/Charge.ini \
    /usr/lib/hakomaru/MapOfJapan.jpg \
    /usr/lib/hakomaru/MapOfJapan@2x.jpg \
    /usr/lib/hakomaru/Help/Sobato.htm \
    /usr/lib/hakomaru/Help/howto.htm \
    /usr/lib/hakomaru/Help/tariff.htm \
    /usr/lib/hakomaru/icons/hakomaru.svg \
    /usr/bin/hakomaru \
    /usr/bin/hakomaru-quote \
    /usr/share/applications/hakomaru.desktop \
    /usr/share/icons/hicolor/scalable/apps/hakomaru.svg \
    /usr/share/doc/hakomaru/copyright \
    /usr/share/doc/hakomaru/examples/parcels.csv \
    /usr/share/man/man1/hakomaru.1.gz \
    /usr/share/man/man1/hakomaru-quote.1.gz; do
    grep -qx "$path" <<<"$list" || fail "missing from the package: $path"
done
# The editor's package holds the editor and nothing of the main package.
editor_list=$(dpkg-deb -c "$editor_deb" | awk '{ print $6 }' | sed 's|^\./|/|')
for path in \
    /usr/lib/hakomaru/hakomaru-tariff \
    /usr/bin/hakomaru-tariff \
    /usr/share/applications/hakomaru-tariff.desktop \
    /usr/share/doc/hakomaru-tariff/copyright \
    /usr/share/man/man1/hakomaru-tariff.1.gz; do
    grep -qx "$path" <<<"$editor_list" || fail "missing from the editor's package: $path"
done
grep -qx /usr/lib/hakomaru/hakomaru-tariff <<<"$list" && fail "the editor is in the main package"
grep -q '/etc/' <<<"$editor_list" && fail "the editor's package holds a configuration file"
[ "$(dpkg-deb -f "$editor_deb" Package)" = hakomaru-tariff ] ||
    fail "editor package name is not hakomaru-tariff"
editor_depends=$(dpkg-deb -f "$editor_deb" Depends)
grep -q "hakomaru (= $(dpkg-deb -f "$deb" Version))" <<<"$editor_depends" ||
    fail "the editor does not depend on the same version of hakomaru: $editor_depends"
grep -q libqt6widgets6 <<<"$editor_depends" || fail "editor Depends lacks Qt: $editor_depends"

# Every file and folder has the mode Debian wants, whatever the tree's modes
# and the umask: 0644 data, 0755 programs and folders.
for package in "$deb" "$editor_deb"; do
    odd=$(dpkg-deb -c "$package" |
        awk '$1 !~ /^(-rw-r--r--|-rwxr-xr-x|drwxr-xr-x|lrwxrwxrwx)$/ { print $1, $6 }')
    [ -z "$odd" ] || fail "$(basename "$package"): files with other modes: $odd"
done

# Nothing of the build leaks in (build paths, settings files, test programs).
if grep -E '\.ini$' <<<"$list" | grep -vqxE '/usr/lib/hakomaru/Charge.ini|/etc/hakomaru/Charge.ini'; then
    fail "a settings file is in the package"
fi

# The metadata.
[ "$(dpkg-deb -f "$deb" Package)" = hakomaru ] || fail "package name is not hakomaru"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libjpeg; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
for name in qt6-wayland xdg-utils; do
    grep -q "$name" <<<"$recommends" || fail "Recommends lacks $name: $recommends"
done
[ "$(dpkg-deb -I "$deb" conffiles)" = /etc/hakomaru/Charge.ini ] ||
    fail "the tariff is not the package's configuration file"

# Unpacked into a scratch root, the programs find their files. The tariff
# link names /etc of the machine, so the runs name the unpacked tariff.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
dpkg -x "$editor_deb" "$root"
folder=$root/usr/lib/hakomaru
tariff=$root/etc/hakomaru/Charge.ini
[ "$(readlink "$root/usr/bin/hakomaru-quote")" = ../lib/hakomaru/hakomaru-quote ] ||
    fail "/usr/bin/hakomaru-quote does not point into the program folder"
[ "$(readlink "$folder/Charge.ini")" = /etc/hakomaru/Charge.ini ] ||
    fail "the program folder's Charge.ini does not lead to /etc/hakomaru/Charge.ini"
[ -x "$root/usr/bin/hakomaru" ] || fail "/usr/bin/hakomaru is not executable"
"$root/usr/bin/hakomaru-quote" check --tariff "$tariff" >/dev/null ||
    fail "the shipped tariff does not pass the check"
quote=$("$root/usr/bin/hakomaru-quote" --tariff "$tariff" --from 東京 --to 大阪 --weight 2kg --size 60cm)
grep -q 'ゆうパック 第' <<<"$quote" || fail "the unpacked quote tool does not quote: $quote"
printf '発送地,届け先,重さ,サイズ\n東京,大阪,2kg,60cm\n' |
    "$root/usr/bin/hakomaru-quote" compare --tariff "$tariff" --csv - >/dev/null ||
    fail "the batch comparison fails"
"$root/usr/bin/hakomaru-quote" compare --tariff "$tariff" \
    --csv "$root/usr/share/doc/hakomaru/examples/parcels.csv" >/dev/null ||
    fail "the shipped example CSV does not compare"

desktop=$root/usr/share/applications/hakomaru.desktop
grep -qx 'Path=/usr/lib/hakomaru' "$desktop" || fail "launcher working folder is not the program folder"
grep -qx 'Exec="/usr/lib/hakomaru/hakomaru"' "$desktop" || fail "launcher does not start the program"
grep -qx 'Icon=/usr/lib/hakomaru/icons/hakomaru.svg' "$desktop" || fail "launcher has no icon"
desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the launcher"
editor_desktop=$root/usr/share/applications/hakomaru-tariff.desktop
grep -q '^Exec="/usr/lib/hakomaru/hakomaru-tariff"' "$editor_desktop" ||
    fail "the editor's launcher does not start the editor"
grep -qx 'Icon=/usr/lib/hakomaru/icons/hakomaru.svg' "$editor_desktop" ||
    fail "the editor's launcher has no icon"
desktop-file-validate "$editor_desktop" || fail "desktop-file-validate rejects the editor's launcher"
[ "$(readlink "$root/usr/bin/hakomaru-tariff")" = ../lib/hakomaru/hakomaru-tariff ] ||
    fail "/usr/bin/hakomaru-tariff does not point into the program folder"
# The unpacked quote tool changes a field of a copy of the tariff.
cp "$tariff" "$root/set.ini"
"$root/usr/bin/hakomaru-quote" set --tariff "$root/set.ini" 複数口 料金 120 >/dev/null ||
    fail "hakomaru-quote set fails"
"$root/usr/bin/hakomaru-quote" check --tariff "$root/set.ini" >/dev/null ||
    fail "the tariff changed by set does not pass the check"

# Debian's own checks: every error and warning counts.
lintian --fail-on error,warning "$deb" "$editor_deb" 2> >(grep -v 'root privileges' >&2) ||
    fail "lintian reports problems (above)"

# dpkg keeps a tariff the user edited: installed into a scratch root, edited,
# then the same package installed again and a newer one with another shipped
# tariff installed over it. (The scratch root lacks the libraries.)
scratch=$root/dpkg
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
: >"$scratch/var/lib/dpkg/status"
install_into_scratch() {
    dpkg --root="$scratch" --force-depends --force-confold -i "$1" >/dev/null 2>&1 ||
        fail "dpkg cannot install $1 into a scratch root"
}
install_into_scratch "$deb"
edited=$scratch/etc/hakomaru/Charge.ini
printf '; edited by the user\r\n' >>"$edited"
cp "$edited" "$root/edited.ini"
install_into_scratch "$deb"
cmp -s "$edited" "$root/edited.ini" || fail "installing the package again replaced the edited tariff"
# A newer package whose shipped tariff differs: dpkg keeps the edited file.
newer=$root/newer
dpkg-deb -R "$deb" "$newer"
printf '; newer shipped tariff\r\n' >>"$newer/etc/hakomaru/Charge.ini"
(cd "$newer" && find usr etc -type f -exec md5sum {} + | sort -k2 >DEBIAN/md5sums)
sed -i 's/^Version: .*/&+1/' "$newer/DEBIAN/control"
dpkg-deb --root-owner-group -b "$newer" "$root/newer.deb" >/dev/null
install_into_scratch "$root/newer.deb"
cmp -s "$edited" "$root/edited.ini" || fail "upgrading the package replaced the edited tariff"

# apt can install it here (dependencies resolved, nothing changed).
apt-get install --simulate -qq "$(realpath "$deb")" "$(realpath "$editor_deb")" >/dev/null ||
    fail "apt cannot install $deb and $editor_deb"

echo "package-check: $(wc -l <<<"$list") entries, Depends: $depends"
echo "package-check: editor $(wc -l <<<"$editor_list") entries, Depends: $editor_depends"

# The same check from the sources as `git archive` unpacks them under umask
# 002: tracked files as they are now (changes not yet committed included),
# each 0664. Run from a git checkout only; the copy has no .git of its own.
if [ -z "${HAKOMARU_PACKAGE_FROM_ARCHIVE:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
    sources=$(mktemp -d)
    trap 'rm -rf "$root" "$sources"' EXIT
    snapshot=$(git stash create)
    (
        umask 002
        git archive "${snapshot:-HEAD}" | tar -x -C "$sources"
        [ "$(stat -c %a "$sources/data/Charge.ini")" = 664 ] || fail "git archive did not give 0664"
        echo "package-check: again from a git archive unpacked with umask 002 ($sources)"
        HAKOMARU_PACKAGE_FROM_ARCHIVE=1 HAKOMARU_PACKAGE_BUILD="$sources/build-package" \
            "$sources/scripts/package-check.sh"
    ) || fail "the packages from a git archive do not pass (above)"
fi
echo "package-check: ok"
