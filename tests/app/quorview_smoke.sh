#!/usr/bin/env bash
# Starts Quorview on a copy of the bundled data under a virtual X server, ends
# it (by its own Exit, then by SIGTERM), and checks each time the exit status
# and the rewritten QUORVEL.INI.
# Usage: quorview_smoke.sh XVFB_RUN QUORVIEW DATA_DIR
set -euo pipefail
xvfb_run=$1 quorview=$2 data=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$data" "$work/data"
export XDG_CONFIG_HOME="$work/config"
cd "$work/data"

# Runs the command under the virtual X server and checks that Quorview ended
# with status 0 and wrote its settings again.
check_run() {
  local how=$1
  shift
  # A key nobody knows is dropped when the file is written again.
  echo "SMOKE TEST MARKER: 1" >> QUORVEL.INI
  local status=0
  timeout 60 "$xvfb_run" -a "$@" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "Quorview ended by $how with status $status"
    exit 1
  fi
  if grep -q "SMOKE TEST MARKER" QUORVEL.INI; then
    echo "QUORVEL.INI was not rewritten after $how"
    exit 1
  fi
  grep -q "MENU BAR: YES" QUORVEL.INI || { echo "QUORVEL.INI lost its settings"; exit 1; }
  echo "Quorview ended cleanly by $how"
}

export KESTRUNE_EXIT_AFTER_MS=1500
check_run "its own Exit" "$quorview"
unset KESTRUNE_EXIT_AFTER_MS

# SIGTERM is Exit: the settings are written and the status is 0.
cat > "$work/term.sh" <<'INNER'
#!/usr/bin/env bash
"$1" &
pid=$!
sleep 3
kill -TERM "$pid"
wait "$pid"
INNER
check_run "SIGTERM" bash "$work/term.sh" "$quorview"
