#!/usr/bin/env bash
# Installs what is needed, builds Kavimo (Release) and starts it on the sets in Data/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/configure.sh build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)" --target kavimo
exec build/kavimo
