#!/usr/bin/env bash
# Installs what is missing, builds, and starts Quorview on the bundled data.
# The program rewrites its settings and views where it runs, so it runs in a
# working copy of data/ (build/run); files already there are kept.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
top=$(pwd)
work="$top/build/run"
mkdir -p "$work"
cp -rn "$top/data/." "$work/"
cd "$work"
# scripts/keeper.sh starts quorkeeper on the same copy through here.
exec "$top/build/app/${KESTRUNE_RUN_PROGRAM:-Quorview}" "$@"
