#!/usr/bin/env bash
# The libFuzzer targets under fuzz/, built with clang under AddressSanitizer
# and UndefinedBehaviorSanitizer into ./build-fuzz (or $ORVEL_FUZZ_BUILD_DIR).
# Not part of the normal test run; the tests replay the saved inputs only.
#
#   scripts/fuzz.sh build                      configure and build every target
#   scripts/fuzz.sh run <target> <seconds> [jobs] [libFuzzer options...]
#                                              fuzz one target (numbers,
#                                              rate_document, profile,
#                                              key_rate) for that long, with
#                                              `jobs` workers (1)
#   scripts/fuzz.sh list                       the target names
#
# A run grows its corpus in build-fuzz/corpus/<target> from the target's seeds
# and writes crashing inputs to build-fuzz/crashes/<target>/. Keep each one as
# fuzz/regressions/<target>/<name> so the tests replay it.
# Needs clang and the libclang-rt-N-dev of its version, N = 14 on Debian 12, 19 on
# Debian 13: apt-get install clang libclang-rt-14-dev (or libclang-rt-19-dev)
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVEL_FUZZ_BUILD_DIR:-$top/build-fuzz}
targets=(numbers rate_document profile key_rate)

seeds_of() {
    case "$1" in
        rate_document) echo "$top/tests/rates/fixtures" ;;
        *) echo "$top/fuzz/seeds/$1" ;;
    esac
}

case "${1:-}" in
    build)
        flags="-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined -g"
        CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DORVEL_FUZZ=ON -DORVEL_BUILD_TESTS=OFF \
            -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" >/dev/null
        cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"
        ;;
    run)
        target=${2:?target name}
        seconds=${3:?seconds}
        jobs=${4:-1}
        shift $(($# < 4 ? $# : 4))
        exe="$build/fuzz/fuzz_$target"
        [[ -x $exe ]] || { echo "$exe is missing: run scripts/fuzz.sh build" >&2; exit 1; }
        corpus="$build/corpus/$target"
        crashes="$build/crashes/$target"
        mkdir -p "$corpus" "$crashes"
        cd "$build"
        # The targets write their files in a temporary folder; a memory file
        # system keeps the profile writes' fsync from setting the pace.
        if [[ -z ${TMPDIR:-} && -d /dev/shm && -w /dev/shm ]]; then
            export TMPDIR=/dev/shm
        fi
        export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
        export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
        args=(-max_total_time="$seconds" -artifact_prefix="$crashes/" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048)
        if [[ -f $top/fuzz/dicts/$target.dict ]]; then
            args+=(-dict="$top/fuzz/dicts/$target.dict")
        fi
        if ((jobs > 1)); then
            args+=(-jobs="$jobs" -workers="$jobs")
        fi
        exec "$exe" "${args[@]}" "$@" "$corpus" "$(seeds_of "$target")"
        ;;
    list)
        printf '%s\n' "${targets[@]}"
        ;;
    *)
        sed -n '2,18p' "$0"
        exit 2
        ;;
esac
