#!/usr/bin/env bash
# Builds the Debian package of はこ丸 and checks it: the file list, the
# dependencies, and a run of the unpacked programs in a scratch root.
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

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DHAKOMARU_BUILD_TESTS=OFF -DHAKOMARU_BUILD_BENCH=OFF -DHAKOMARU_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/hakomaru_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
debs=("$build"/hakomaru_*.deb)
[ -f "${debs[0]}" ] || fail "no package was built"
deb=${debs[0]}
echo "package-check: $deb"

# The file list.
list=$(dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|')
for path in \
    /usr/lib/hakomaru/hakomaru \
    /usr/lib/hakomaru/hakomaru-quote \
    /usr/lib/hakomaru/Charge.ini \
    /usr/lib/hakomaru/MapOfJapan.jpg \
    /usr/lib/hakomaru/Help/Sobato.htm \
    /usr/lib/hakomaru/Help/howto.htm \
    /usr/lib/hakomaru/icons/hakomaru.svg \
    /usr/bin/hakomaru \
    /usr/bin/hakomaru-quote \
    /usr/share/applications/hakomaru.desktop \
    /usr/share/icons/hicolor/scalable/apps/hakomaru.svg; do
    grep -qx "$path" <<<"$list" || fail "missing from the package: $path"
done
# Nothing of the build leaks in (build paths, settings files, test programs).
if grep -E '\.ini$' <<<"$list" | grep -vqx /usr/lib/hakomaru/Charge.ini; then
    fail "a settings file is in the package"
fi

# The metadata.
[ "$(dpkg-deb -f "$deb" Package)" = hakomaru ] || fail "package name is not hakomaru"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libjpeg; do
    grep -q "$lib" <<<"$depends" || fail "Depends lacks $lib: $depends"
done

# Unpacked into a scratch root, the programs find their files.
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg -x "$deb" "$root"
folder=$root/usr/lib/hakomaru
[ "$(readlink "$root/usr/bin/hakomaru-quote")" = ../lib/hakomaru/hakomaru-quote ] ||
    fail "/usr/bin/hakomaru-quote does not point into the program folder"
[ -x "$root/usr/bin/hakomaru" ] || fail "/usr/bin/hakomaru is not executable"
"$root/usr/bin/hakomaru-quote" check >/dev/null || fail "the shipped tariff does not pass the check"
quote=$("$root/usr/bin/hakomaru-quote" --from 東京 --to 大阪 --weight 2kg --size 60cm)
grep -q 'ゆうパック 第' <<<"$quote" || fail "the unpacked quote tool does not quote: $quote"
printf '発送地,届け先,重さ,サイズ\n東京,大阪,2kg,60cm\n' |
    "$root/usr/bin/hakomaru-quote" compare --csv - >/dev/null || fail "the batch comparison fails"

desktop=$root/usr/share/applications/hakomaru.desktop
grep -qx 'Path=/usr/lib/hakomaru' "$desktop" || fail "launcher working folder is not the program folder"
grep -qx 'Exec="/usr/lib/hakomaru/hakomaru"' "$desktop" || fail "launcher does not start the program"
grep -qx 'Icon=/usr/lib/hakomaru/icons/hakomaru.svg' "$desktop" || fail "launcher has no icon"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$desktop"
fi

echo "package-check: $(wc -l <<<"$list") entries, Depends: $depends"
echo "package-check: ok"
