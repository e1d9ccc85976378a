#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need, when missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ pkg-config clang-format
    qt6-base-dev qt6-multimedia-dev libqt6sql6-sqlite libqt6sql6-psql
    libgtest-dev libgmock-dev libbenchmark-dev libhamlib-dev libsqlite3-dev libpq-dev
    postgresql-15 postgresql-client-15
    python3-pil
    # the packet BBS that the BBS link is tested against (tests/peers/fbb_peer.sh)
    fbb
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
