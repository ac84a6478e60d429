#!/usr/bin/env bash
# Installs what is missing and builds the Debian package lapora_<version>_<arch>.deb into build/ (from the
# build that scripts/build.sh and scripts/test.sh use: only what changed is compiled), and prints its path.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh
cd build
rm -f lapora_*.deb
cpack -G DEB >/dev/null
ls "$PWD"/lapora_*.deb
