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
all=(criteria jetsql jetfile)
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
# The Jet reader's seeds: the fixtures, each behind the byte that marks an input as a file.
mkdir -p "$dir/seeds/jetfile"
for f in tests/data/*/*.mdb tests/data/*/*.MDB tests/data/*/*.lpb tests/data/*/*.LPB; do
    [ -f "$f" ] || continue
    seed="$dir/seeds/jetfile/$(echo "$f" | tr '/' '_')"
    [ -f "$seed" ] || { printf '\000' >"$seed"; cat "$f" >>"$seed"; }
done
# ... and the reader's own output, behind the byte that marks an input as a stream.
if [ ! -f "$dir/seeds/jetfile/stream_EmblemaPath" ]; then
    printf '\001' >"$dir/seeds/jetfile/stream_EmblemaPath"
    "$dir/bin/lapora_jetread" tests/data/legacy/Parameter.lpb EmblemaPath >>"$dir/seeds/jetfile/stream_EmblemaPath"
fi

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=0}"
# The Jet target starts the reader per input; the plain build's reader (when built) starts faster.
if [ -z "${LAPORA_FUZZ_READER:-}" ] && [ -x build/bin/lapora_jetread ]; then
    export LAPORA_FUZZ_READER="$PWD/build/bin/lapora_jetread"
fi
for t in "${targets[@]}"; do
    corpus="$dir/corpus/$t"
    findings="$dir/findings/$t"
    mkdir -p "$corpus" "$findings"
    seeds="fuzz/corpus/$t"
    [ "$t" = jetfile ] && seeds="$dir/seeds/jetfile"
    echo "== fuzz_$t ${extra[*]}"
    "$dir/bin/fuzz_$t" -print_final_stats=1 -artifact_prefix="$findings/" \
        "${extra[@]}" "$corpus" "$seeds"
done
