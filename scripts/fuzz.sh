#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets (clang, AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for a bounded time on a copy of its seed corpus and of the inputs that once failed
# (fuzz/regressions), so that nothing new is written into the repository. Exits non-zero on
# a finding; the input is kept in the work folder and also printed in base64, so that a CI
# log is enough to get it back.
#
#   scripts/fuzz.sh [seconds per target, default 60] [target...]
#   KAVIMO_FUZZ_BUILD=dir   build folder (default build-fuzz)
#   KAVIMO_FUZZ_WORK=dir    corpus copies and findings (default: a fresh temporary folder,
#                           removed again when nothing was found)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(fuzz_reader fuzz_picture fuzz_game)
build=${KAVIMO_FUZZ_BUILD:-build-fuzz}
# The targets rewrite their scratch files on every run; on a disk file system each rewrite
# is a flush, on tmpfs it costs nothing.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
work=${KAVIMO_FUZZ_WORK:-}
own_work=0
if [ -z "$work" ]; then work=$(mktemp -d -t kavimo-fuzz.XXXXXX); own_work=1; fi

CC=clang CXX=clang++ scripts/configure.sh "$build" -DKAVIMO_FUZZ=ON -DBUILD_TESTING=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]}"

# Leaks are checked at each run's end; the suppressions name third-party frames only.
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export QT_QPA_PLATFORM=offscreen

status=0
for target in "${targets[@]}"; do
  kind=${target#fuzz_}
  corpus=$work/$kind/corpus
  findings=$work/$kind/findings
  mkdir -p "$corpus" "$findings"
  cp -n fuzz/corpus/"$kind"/* "$corpus"/
  if [ -d fuzz/regressions/"$kind" ]; then cp -n fuzz/regressions/"$kind"/* "$corpus"/; fi
  echo "== $target: ${seconds}s on $corpus ($(date -u +%FT%TZ))"
  found=0
  # The words of the set files and the names of the files a target lays out.
  dict=()
  if [ -f fuzz/"$kind".dict ]; then dict=(-dict="fuzz/$kind.dict"); fi
  # ASan keeps every distinct allocation stack; through Qt's frames, built without frame
  # pointers, the fast unwinder makes most of them distinct, so the game target's memory
  # grows by several KB a run (1 GB after 20000 runs, the quarantine included) without any
  # leak. Hence room for long runs, while a single allocation beyond 2 GB is still a finding.
  # Their scratch files go into the work folder too: a run that ends on its time limit
  # leaves its own temporary folder behind.
  TMPDIR=$work/$kind "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -timeout=30 -max_len=8192 \
    -rss_limit_mb=4096 -malloc_limit_mb=2048 "${dict[@]}" \
    -print_final_stats=1 -artifact_prefix="$findings/" 2>"$work/$kind/log" || found=1
  # The closing line: executions, coverage (cov: edges, ft: features), corpus size.
  grep -E '^#[0-9]+[[:space:]]+DONE|stat::number_of_executed_units|stat::peak_rss_mb' "$work/$kind/log" || true
  [ -z "$(ls -A "$findings")" ] || found=1
  if [ $found -ne 0 ]; then
    echo "!! $target found a fault; inputs in $findings, log in $work/$kind/log" >&2
    tail -60 "$work/$kind/log" >&2
    for input in "$findings"/*; do
      [ -f "$input" ] || continue
      echo "!! $(basename "$input"), base64:" >&2
      base64 "$input" >&2
    done
    status=1
  fi
done
# A fresh work folder of a run without findings holds nothing worth keeping (in /dev/shm, memory).
if [ $status -eq 0 ] && [ $own_work -eq 1 ]; then rm -rf "$work"; fi
exit $status
