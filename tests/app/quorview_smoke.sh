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
# Without a display: a line on stderr, status 1, and every file left alone.
before=$(cat QUORVEL.INI)
status=0
env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 "$quorview" 2>"$work/nodisplay.txt" || status=$?
if [ "$status" -ne 1 ] || ! grep -q "^Quorview: no display" "$work/nodisplay.txt"; then
  echo "Without a display Quorview exited with status $status and said: $(cat "$work/nodisplay.txt")"
  exit 1
fi
if [ "$(cat QUORVEL.INI)" != "$before" ] || [ -e Debug.txt ]; then
  echo "Without a display Quorview wrote files"
  exit 1
fi
status=0
KESTRUNE_EXIT_AFTER_MS=1500 timeout 60 "$xvfb_run" -a "$quorview" 2>"$work/stderr.txt" || status=$?
if [ "$status" -ne 0 ]; then
  echo "Quorview exited with status $status"
  exit 1
fi
# The toolkit has nothing to complain of: no widget is sized below its minimum.
if grep -E "Gtk-(WARNING|CRITICAL)" "$work/stderr.txt"; then
  echo "Quorview made the toolkit warn"
  exit 1
fi
if grep -q "SMOKE TEST MARKER" QUORVEL.INI; then
  echo "QUORVEL.INI was not rewritten"
  exit 1
fi
grep -q "MENU BAR: YES" QUORVEL.INI || { echo "QUORVEL.INI lost its settings"; exit 1; }
echo "Quorview started and exited cleanly"
