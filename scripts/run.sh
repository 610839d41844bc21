#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorview on the bundled data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x build/app/Quorview ]; then
  cd data
  exec ../build/app/Quorview "$@"
fi
echo "Built the libraries and tests; the Quorview program itself is not built yet."
