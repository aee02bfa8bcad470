#!/usr/bin/env bash
# A program folder locked beneath the program: immutable, which even root
# cannot write into and wine passes on as a refusal. The settings tests then
# find that the settings go to the user's own folder. 77 (skipped) where no
# folder can be locked so.   locked_folder_test.sh SETTINGS_TESTS[.exe]
set -euo pipefail
locked=$(mktemp -d "$PWD/locked-folder.XXXXXX")
trap 'chattr -i "$locked" 2>/dev/null; rm -rf "$locked"' EXIT
chattr +i "$locked" 2>/dev/null && ! touch "$locked/probe" 2>/dev/null ||
    { echo "SKIP: no folder can be locked here"; exit 77; }
run=("$1") folder=$locked
[[ $1 != *.exe ]] || { run=(wine "$1"); folder=$(winepath -w "$locked"); }
out=$(HAKOMARU_LOCKED_FOLDER=$folder "${run[@]}" \
    --gtest_filter='SettingsLocationReal.LockedProgramFolder*' 2>&1) || { echo "$out"; exit 1; }
echo "$out"
grep -q '^\[  PASSED  \] 1 test' <<<"$out" && ! grep -q SKIPPED <<<"$out"
