#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is needed, builds Kavimo and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh test
scripts/configure.sh build -DCMAKE_BUILD_TYPE=Release -DKAVIMO_WERROR=ON -DBUILD_TESTING=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure
# clang-tidy and cppcheck over src/, with the build's compile commands.
scripts/static-checks.sh build
