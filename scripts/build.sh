#!/usr/bin/env bash
# Configures and builds everything into build/ (warnings are errors in CI).
set -euo pipefail
cd "$(dirname "$0")/.."
werror=OFF
if [ -n "${CI:-}" ]; then werror=ON; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_WERROR="$werror" >/dev/null
cmake --build build -j"$(nproc)"
