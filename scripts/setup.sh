#!/usr/bin/env bash
# Installs every Debian package the project needs, only when one is missing.
# Safe to run again: with everything present it changes nothing.
# Names given as arguments are installed too (scripts/setup.sh lintian).
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
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
