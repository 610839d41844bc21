#!/usr/bin/env bash
# Installs what is missing, builds, and starts quorkeeper on the working copy
# of data/ that scripts/run.sh starts Quorview on (build/run), so the kiosk
# settings it saves are the ones Quorview reads next.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
top=$(pwd)
work="$top/build/run"
mkdir -p "$work"
cp -rn "$top/data/." "$work/"
cd "$work"
exec "$top/build/app/quorkeeper" "$@"
