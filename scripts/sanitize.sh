#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Kavimo and its tests with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (Debug) and runs every test there, the real-window ones included.
#
#   scripts/sanitize.sh [extra ctest arguments, e.g. -LE e2e]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

scripts/configure.sh build-asan -DCMAKE_BUILD_TYPE=Debug -DKAVIMO_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$(nproc)"

# Any report fails its test: UBSan stops at the first one (-fno-sanitize-recover in the
# build), ASan and LSan exit non-zero. The suppressions name third-party frames only.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" "$@"
