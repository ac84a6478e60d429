#!/usr/bin/env bash
# Builds Lapora into build/ (or, with --sanitize, an AddressSanitizer + UBSan build into build-asan/).
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    flags=(-DCMAKE_BUILD_TYPE=Debug -DLAPORA_SANITIZE=ON)
fi
# Rebuilds (CI builds twice, worktrees share one cache) compile only what changed.
if command -v ccache >/dev/null 2>&1; then
    flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
fi
cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)"
