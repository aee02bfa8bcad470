#!/usr/bin/env bash
# Installs every Debian package the project needs, only when one is missing.
# Safe to run again: with everything present it changes nothing.
# Names given as arguments are installed too (scripts/setup.sh lintian).
# Where another package manager runs (an automatic update, apt in another
# terminal), waits for it to let go of its lock, five minutes at most
# (APT_LOCK_WAIT seconds), then gives up and says so.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    libgtest-dev libgmock-dev libbenchmark-dev
    nlohmann-json3-dev qt6-base-dev libjpeg-dev
    fonts-ipafont-gothic fonts-ipafont-mincho
    xvfb xauth jq xdotool openbox x11-utils
    clang libclang-rt-14-dev
    qt6-translations-l10n
    python3 dpkg-dev file
)
packages+=("$@")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
lock_wait=${APT_LOCK_WAIT:-300}
deadline=$((SECONDS + lock_wait))
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
# apt-get, again while another package manager holds a lock and time is
# left: apt waits for dpkg's lock itself, not for the package lists' lock.
apt_get() {
    local status waited=""
    while :; do
        status=0
        $sudo env LC_ALL=C apt-get -o DPkg::Lock::Timeout=$((deadline > SECONDS ? deadline - SECONDS : 0)) \
            "$@" 2>"$errors" || status=$?
        if [ "$status" -eq 0 ] || ! grep -q "Could not get lock" "$errors"; then
            cat "$errors" >&2
            return "$status"
        fi
        if [ "$SECONDS" -ge "$deadline" ]; then
            cat "$errors" >&2
            echo "setup.sh: another package manager has held its lock for more than $lock_wait s;" \
                "run scripts/setup.sh again when it has finished" >&2
            return 1
        fi
        [ -n "$waited" ] || echo "Waiting for another package manager to finish ..." >&2
        waited=yes
        sleep 2
    done
}
apt_get update -qq
apt_get install -y -qq --no-install-recommends "${missing[@]}"
