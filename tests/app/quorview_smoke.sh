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

# Runs the command under the virtual X server and checks that Quorview ended
# with status 0, made the toolkit warn of nothing and wrote its settings again.
check_run() {
  local how=$1
  shift
  # A key nobody knows is dropped when the file is written again.
  echo "SMOKE TEST MARKER: 1" >> QUORVEL.INI
  local status=0
  timeout 60 "$xvfb_run" -a "$@" 2>"$work/stderr.txt" || status=$?
  if [ "$status" -ne 0 ]; then
    echo "Quorview ended by $how with status $status"
    cat "$work/stderr.txt"
    exit 1
  fi
  # No widget is sized below its minimum.
  if grep -E "Gtk-(WARNING|CRITICAL)" "$work/stderr.txt"; then
    echo "Quorview made the toolkit warn when ended by $how"
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
