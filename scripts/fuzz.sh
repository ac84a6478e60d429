#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for a fixed time.
#   scripts/fuzz.sh                 every target, 20 s each (what CI runs)
#   scripts/fuzz.sh criteria -runs=10000000   one target, extra libFuzzer options
# Findings go to build-fuzz/findings/<target>/; the working corpus to build-fuzz/corpus/<target>/.
set -euo pipefail
cd "$(dirname "$0")/.."

dir=build-fuzz
flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DLAPORA_FUZZ=ON -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14)
if command -v ccache >/dev/null 2>&1; then
    flags+=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}" CCACHE_NOHASHDIR=1
fi
all=(criteria jetsql)
targets=("${all[@]}")
extra=()
if [ $# -gt 0 ]; then
    targets=("$1")
    shift
    extra=("$@")
fi
[ ${#extra[@]} -gt 0 ] || extra=(-max_total_time=20)

cmake -S . -B "$dir" "${flags[@]}" >/dev/null
cmake --build "$dir" -j2 --target $(printf 'fuzz_%s ' "${targets[@]}")

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
for t in "${targets[@]}"; do
    corpus="$dir/corpus/$t"
    findings="$dir/findings/$t"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$t ${extra[*]}"
    "$dir/bin/fuzz_$t" -print_final_stats=1 -artifact_prefix="$findings/" \
        "${extra[@]}" "$corpus" "fuzz/corpus/$t"
done
