#!/usr/bin/env bash
# Builds and runs the tests (with --sanitize: under AddressSanitizer and UndefinedBehaviorSanitizer).
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
scripts/build.sh "$@"
dir=build
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cd "$dir"
ctest --output-on-failure -j"$(nproc)"
