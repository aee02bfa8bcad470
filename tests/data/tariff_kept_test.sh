#!/usr/bin/env bash
# The build puts the shipped tariff beside the programs, follows a newer
# shipped tariff while the copy is unedited, and never replaces an edited one.
# Builds the repository's data/ folder in a scratch project.
#   tariff_kept_test.sh REPOSITORY CMAKE
set -euo pipefail
repo=$1
cmake=${2:-cmake}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mkdir -p "$work/src/cmake"
cp -r "$repo/data" "$work/src/data"
cp "$repo/cmake/CopyTariff.cmake" "$work/src/cmake/"
cat >"$work/src/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.25)
project(tariff_copy NONE)
set(HAKOMARU_OUTPUT_DIR ${CMAKE_BINARY_DIR}/bin)
add_subdirectory(data)
CMAKE
"$cmake" -S "$work/src" -B "$work/build" -G Ninja >/dev/null
shipped=$work/src/data/Charge.ini
beside=$work/build/bin/Charge.ini
build() { "$cmake" --build "$work/build" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }; }
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

build
cmp -s "$shipped" "$beside" || fail "the first build does not copy the shipped tariff"

printf '; a newer shipped tariff\r\n' >>"$shipped"
build
cmp -s "$shipped" "$beside" || fail "an unedited copy does not follow the shipped tariff"

printf '; edited by the user\r\n' >>"$beside"
cp "$beside" "$work/edited"
build
cmp -s "$work/edited" "$beside" || fail "a rebuild replaced the edited tariff"

printf '; newer still\r\n' >>"$shipped"
build
cmp -s "$work/edited" "$beside" || fail "a newer shipped tariff replaced the edited one"
grep -q 'Kept the edited tariff' "$work/log" || fail "the build does not say it kept the edited tariff"
build
cmp -s "$work/edited" "$beside" || fail "a second rebuild replaced the edited tariff"

rm "$beside"
build
cmp -s "$shipped" "$beside" || fail "a deleted tariff is not put back"
echo "ok"
