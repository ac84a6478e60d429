#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lapora need.
set -euo pipefail

packages=(
    cmake g++ make pkg-config
    qt6-base-dev qt6-translations-l10n
    libsqlite3-dev sqlite3
    mdbtools mdbtools-dev libglib2.0-dev
    libgtest-dev
    fonts-liberation
    poppler-utils xvfb
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
