#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
ctest --test-dir build --output-on-failure -j"$(nproc)"

# The whole suite again under the address and undefined-behaviour sanitizers.
scripts/sanitize.sh

# A short fuzzing pass over every reader: any crash, leak or sanitizer report fails.
scripts/fuzz.sh 20
