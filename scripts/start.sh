#!/usr/bin/env bash
# Sets everything up on a fresh Debian machine and starts Lapora on a working folder
# (default ~/Lapora). Data files that are already there are never overwritten.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$HOME/Lapora}"

"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
"$root/build/bin/lapora_init" "$folder"
cd "$folder"
exec "$root/build/bin/lapora"
