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
# The elevation and population grids are made here, not kept in data/: the
# world grid from the Debian package ferret-datasets, the population grid
# (sparse) from the bundled cities.
quordata="$top/build/tools/quordata"
[ -s "$work/ETOPO5.DAT" ] || "$quordata" etopo5 /usr/share/ferret-vis/data/etopo5.cdf "$work/ETOPO5.DAT"
[ -s "$work/USA.Z" ] || "$quordata" usagrid "$work/ETOPO5.DAT" "$work/USA.Z"
[ -s "$work/POPULATN.DAT" ] || "$quordata" population "$top/data/CityLatLonPop.csv" "$work/POPULATN.DAT"
cd "$work"
# scripts/keeper.sh starts quorkeeper on the same copy through here.
exec "$top/build/app/${KESTRUNE_RUN_PROGRAM:-Quorview}" "$@"
