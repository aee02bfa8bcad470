#!/usr/bin/env bash
# scripts/setup.sh while another package manager holds its lock, with apt-get
# and dpkg-query replaced by stubs: it waits and goes on once the lock is
# free, gives up with its own message when it stays held, and stops at once
# on any other failure.
set -euo pipefail
# As another user the script would ask sudo, which does not keep the stubs.
[ "$(id -u)" -eq 0 ] || { echo "SKIP: not run as root"; exit 77; }
setup="$1/scripts/setup.sh"
stubs=$(mktemp -d)
trap 'rm -rf "$stubs"' EXIT
# Every package missing; apt-get fails for the lock while $stubs/held counts
# down, then with `other` in $stubs/then, or succeeds.
printf '#!/bin/sh\nexit 1\n' >"$stubs/dpkg-query"
cat >"$stubs/apt-get" <<'STUB'
#!/bin/bash
dir=$(dirname "$0")
echo "$*" >>"$dir/calls"
held=$(cat "$dir/held")
if [ "$held" -gt 0 ]; then
    echo $((held - 1)) >"$dir/held"
    echo "E: Could not get lock /var/lib/dpkg/lock-frontend. It is held by process 7 (apt-get)" >&2
    exit 100
fi
[ "$(cat "$dir/then")" = other ] && { echo "E: Unable to locate package nothing" >&2; exit 100; }
exit 0
STUB
chmod +x "$stubs/dpkg-query" "$stubs/apt-get"
# held, then, wait allowed (s), expected status, apt-get calls (. any),
# what it says (- nothing)
cases=(
    "0 ok 300 0 2 -"
    "2 ok 300 0 4 Waiting for another package manager"
    "1000 ok 1 1 . held its lock for more than 1 s"
    "0 other 300 100 1 Unable to locate package"
)
for case in "${cases[@]}"; do
    read -r held then wait status calls text <<<"$case"
    echo "$held" >"$stubs/held" && echo "$then" >"$stubs/then" && rm -f "$stubs/calls"
    got=0
    output=$(PATH="$stubs:$PATH" APT_LOCK_WAIT=$wait bash "$setup" 2>&1 >/dev/null) || got=$?
    [ "$got" = "$status" ] || { echo "FAIL ($case): status $got: $output"; exit 1; }
    [ "$calls" = . ] || [ "$(wc -l <"$stubs/calls")" = "$calls" ] ||
        { echo "FAIL ($case): apt-get ran $(wc -l <"$stubs/calls") times"; exit 1; }
    if [ "$text" = - ]; then [ -z "$output" ]; else grep -q "$text" <<<"$output"; fi ||
        { echo "FAIL ($case): said: $output"; exit 1; }
done
echo "PASS: setup.sh waits for the package manager's lock, gives up after its time, stops on other failures"
