#!/usr/bin/env bash
# Starts Quorview on a copy of the bundled data under a virtual X server, lets
# it send itself Exit, and checks the exit status and the rewritten QUORVEL.INI.
# Usage: quorview_smoke.sh XVFB_RUN QUORVIEW DATA_DIR
set -euo pipefail
xvfb_run=$1 quorview=$2 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"
export XDG_CONFIG_HOME="$work/config"
# A key nobody knows is dropped when the file is written again.
echo "SMOKE TEST MARKER: 1" >> "$work/data/QUORVEL.INI"
cd "$work/data"
status=0
KESTRUNE_EXIT_AFTER_MS=1500 timeout 60 "$xvfb_run" -a "$quorview" || status=$?
if [ "$status" -ne 0 ]; then
  echo "Quorview exited with status $status"
  exit 1
fi
if grep -q "SMOKE TEST MARKER" QUORVEL.INI; then
  echo "QUORVEL.INI was not rewritten"
  exit 1
fi
grep -q "MENU BAR: YES" QUORVEL.INI || { echo "QUORVEL.INI lost its settings"; exit 1; }
echo "Quorview started and exited cleanly"

# SIGTERM is Exit: the settings are written and the status is 0.
echo "SMOKE TEST MARKER: 2" >> QUORVEL.INI
cat > "$work/term.sh" <<'INNER'
#!/usr/bin/env bash
"$1" &
pid=$!
sleep 3
kill -TERM "$pid"
wait "$pid"
INNER
status=0
timeout 60 "$xvfb_run" -a bash "$work/term.sh" "$quorview" || status=$?
if [ "$status" -ne 0 ]; then
  echo "Quorview ended by SIGTERM with status $status"
  exit 1
fi
if grep -q "SMOKE TEST MARKER" QUORVEL.INI; then
  echo "QUORVEL.INI was not rewritten after SIGTERM"
  exit 1
fi
echo "Quorview ended cleanly on SIGTERM"
