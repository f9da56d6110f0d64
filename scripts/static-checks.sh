#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# clang-tidy (configuration in .clang-tidy) and cppcheck over the game's sources in src/,
# with the compile commands of a configured build. Exits non-zero on any finding.
#
#   scripts/static-checks.sh [build folder, default build]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}

# The commands only: nothing needs to be built, except the files Qt generates, which the
# sources include (moc, resources), and those exist once the build has run.
if [ ! -f "$build/compile_commands.json" ]; then
  scripts/configure.sh "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
fi

mapfile -t sources < <(find src -name '*.cpp' | sort)
status=0

echo "== clang-tidy (${#sources[@]} files)"
# One file per process, both cores busy; the output of each file stays together.
if ! printf '%s\n' "${sources[@]}" |
    xargs -P "$(nproc)" -I{} sh -c 'clang-tidy -p "$1" --quiet "$2" 2>/dev/null' _ "$build" {} >"$build/clang-tidy.log"; then
  status=1
fi
if grep -E '(warning|error):' "$build/clang-tidy.log"; then status=1; fi

echo "== cppcheck"
# Run on the sources with the game's own include path; Qt's macros come from its library
# file. Left out: missingIncludeSystem (Qt's and the system's headers are not cppcheck's to
# parse) and useStlAlgorithm (a suggestion to write a loop as std::any_of, not a fault).
cppcheck --std=c++20 --language=c++ --library=qt -I src \
  --enable=warning,style,performance,portability --inline-suppr \
  --suppress=missingIncludeSystem --suppress=useStlAlgorithm \
  -j "$(nproc)" --error-exitcode=1 --quiet src || status=1

[ $status -eq 0 ] && echo "static checks: clean"
exit $status
