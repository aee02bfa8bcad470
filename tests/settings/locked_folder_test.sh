#!/usr/bin/env bash
# A program folder that no one may write, locked beneath the program: made
# immutable, which even root cannot write into (and wine, which lets every
# folder be written, passes the refusal on). The settings tests then find
# that the settings go to the user's own folder. Skipped (77) where the
# file system or the user cannot lock a folder.
#   locked_folder_test.sh SETTINGS_TESTS[.exe]
set -euo pipefail
tests=$1
locked=$(mktemp -d "$PWD/locked-folder.XXXXXX")
trap 'chattr -i "$locked" 2>/dev/null; rm -rf "$locked"' EXIT
chattr +i "$locked" 2>/dev/null || { echo "SKIP: chattr +i is not available here"; exit 77; }
if touch "$locked/probe" 2>/dev/null; then
    echo "SKIP: an immutable folder can still be written here"
    exit 77
fi
run=("$tests")
folder=$locked
if [[ $tests == *.exe ]]; then
    run=(wine "$tests")
    folder=$(winepath -w "$locked")
fi
out=$(HAKOMARU_LOCKED_FOLDER=$folder "${run[@]}" \
    --gtest_filter='SettingsLocationReal.LockedProgramFolder*' 2>&1) || { echo "$out"; exit 1; }
echo "$out"
grep -q '^\[  PASSED  \] 1 test' <<<"$out" && ! grep -q SKIPPED <<<"$out" ||
    { echo "FAIL: the test did not run"; exit 1; }
