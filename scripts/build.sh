#!/usr/bin/env bash
# Configures and builds everything into build/ (Release).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release ${TIBBO_CMAKE_ARGS:-} >/dev/null
cmake --build "$root/build" -j"$(nproc)"
