#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building and playing need, builds Kavimo (Release, without the tests) and
# starts it on the sets in Data/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh play
scripts/configure.sh build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build build -j"$(nproc)" --target kavimo kavimo_sound
exec build/kavimo
