#!/usr/bin/env bash
# Builds every test into build-asan/ with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them all: any report fails its test.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKESTRUNE_SANITIZE=ON -DKESTRUNE_BENCH=OFF \
      >/dev/null
cmake --build build-asan -j"$(nproc)"
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" --timeout 600
