#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Lapora need.
set -euo pipefail

packages=(
    cmake g++ make pkg-config ccache
    qt6-base-dev qt6-translations-l10n
    libsqlite3-dev sqlite3
    mdbtools mdbtools-dev libglib2.0-dev
    libgtest-dev
    clang-14 libclang-rt-14-dev
    fonts-liberation
    poppler-utils xvfb
    cups printer-driver-cups-pdf
    locales
    dpkg-dev file lintian desktop-file-utils
    util-linux mount
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -gt 0 ]; then
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The Hungarian locale lets the tests prove that reading other programs' files ignores the C library's
# decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^hu_HU.utf-\?8$'; then
    $sudo sed -i 's/^# *hu_HU.UTF-8 UTF-8/hu_HU.UTF-8 UTF-8/' /etc/locale.gen
    grep -q '^hu_HU.UTF-8 UTF-8' /etc/locale.gen || echo 'hu_HU.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
    $sudo locale-gen >/dev/null
fi
