#!/usr/bin/env bash
# Remakes the window pictures in docs/ (the list is tools/screenshots/ShotList.cpp) and rebuilds, so the user
# manual built into the program carries the new pictures.
#   scripts/screenshots.sh [picture.png ...]        offscreen (no display needed)
#   LAPORA_SHOTS_DISPLAY=:76 scripts/screenshots.sh  under a virtual X server on that display (xvfb)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/build.sh >/dev/null
xvfb_pid=""
if [ -n "${LAPORA_SHOTS_DISPLAY:-}" ]; then
    Xvfb "$LAPORA_SHOTS_DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    sleep 1
    DISPLAY="$LAPORA_SHOTS_DISPLAY" QT_QPA_PLATFORM=xcb build/bin/lapora_shots docs "$@"
else
    QT_QPA_PLATFORM=offscreen build/bin/lapora_shots docs "$@"
fi
# The manual embeds the pictures at build time.
scripts/build.sh >/dev/null
