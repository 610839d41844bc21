#!/usr/bin/env bash
# Builds and runs the benchmarks (by hand; never a CI gate).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
for b in build/bench/*_bench; do "$b"; done
