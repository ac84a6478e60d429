#!/usr/bin/env bash
# Fuzzes the RTF reader with libFuzzer (clang-14 + libclang-rt-14-dev) for the given seconds (default 60),
# on one core at low priority. Build in build-fuzz/; corpus grows in build-fuzz/rtf_corpus; crashes land there too.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
dir=build-fuzz
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAPORA_FUZZ=ON >/dev/null
nice -n 15 cmake --build "$dir" --target rtf_fuzz -j1
mkdir -p "$dir/rtf_corpus" "$dir/rtf_crashes"
cd "$dir"
exec nice -n 15 ./bin/rtf_fuzz -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -dict=../fuzz/rtf.dict -artifact_prefix=rtf_crashes/ -print_final_stats=1 rtf_corpus ../fuzz/rtf_seeds
