#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
#
#   scripts/test.sh [ctest options]               into ./build
#   scripts/test.sh --sanitize [ctest options]    into ./build-asan, everything
#       built with AddressSanitizer and UndefinedBehaviorSanitizer; any report
#       fails the test that made it. Leaks of the system libraries below us are
#       suppressed in tests/lsan.supp (each with its reason), ours are not.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
sanitize=0
if [[ ${1:-} == --sanitize ]]; then
    sanitize=1
    shift
fi
"$top/scripts/install-deps.sh"
if ((sanitize)); then
    export ORVEL_BUILD_DIR=${ORVEL_BUILD_DIR:-$top/build-asan}
    # -fno-sanitize=vptr: LibreOffice's UNO bridge builds the type information
    # of remote objects at run time, so every call through a UNO reference
    # would fail the dynamic type check although it is sound.
    flags="-fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
    # -O1 -g1: the optimisation AddressSanitizer recommends, and line tables
    # for its stack traces; it builds in about 60 % of the time of -O2 -g.
    opt="-O1 -g1 -DNDEBUG"
    "$top/scripts/build.sh" -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_C_FLAGS_RELWITHDEBINFO="$opt" -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="$opt" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
    export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1}
    export UBSAN_OPTIONS=${UBSAN_OPTIONS:-halt_on_error=1:print_stacktrace=1}
    export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$top/tests/lsan.supp:print_suppressions=0}
else
    "$top/scripts/build.sh"
fi
cd "${ORVEL_BUILD_DIR:-$top/build}"
ctest --output-on-failure -j2 "$@"
