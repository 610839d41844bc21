#!/usr/bin/env bash
# Installs what is missing, builds, and starts quorkeeper on the working copy
# of data/ that scripts/run.sh starts Quorview on (build/run), so the kiosk
# settings it saves are the ones Quorview reads next.
set -euo pipefail
KESTRUNE_RUN_PROGRAM=quorkeeper exec "$(dirname "$0")/run.sh" "$@"
