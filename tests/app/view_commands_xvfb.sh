#!/usr/bin/env bash
# Drives Quorview as a user would, under a virtual X server: opens a view
# through the file dialog, changes its speed, dot style and cut-off from the menus,
# saves it under a new name through the save dialog, quits, starts again,
# opens the saved view and saves it once more; both saved files must hold the
# changes, and the view it came from neither.
# Usage: view_commands_xvfb.sh XVFB_RUN QUORVIEW DATA_DIR
set -Eeuo pipefail

if [ "${1:-}" != "--inside" ]; then
  xvfb_run=$1 quorview=$(realpath "$2") data=$3
  command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/install-deps.sh installs it)"; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$data" "$work/data"
  # Another test may take the same display number at the same moment: its
  # server then fails to start, and the run is tried once more.
  for attempt in 1 2; do
    status=0
    timeout 300 "$xvfb_run" -a -s "-screen 0 1920x1080x24" bash "$0" --inside "$quorview" "$work" \
      2>"$work/xvfb.txt" || status=$?
    cat "$work/xvfb.txt" >&2
    grep -q "Xvfb failed to start" "$work/xvfb.txt" || break
    rm -f "$work/stderr.txt"
  done
  [ "$status" -eq 0 ] || { echo "the run ended with status $status"; cat "$work/stderr.txt" 2>/dev/null | grep -v dconf || true; exit 1; }
  exit 0
fi

quorview=$2 work=$3
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND"' ERR
cd "$work/data"
export XDG_CONFIG_HOME="$work/config"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1  # no session bus under the virtual server

fail() { echo "FAILED: $*"; exit 1; }

# The menu bar's items, measured at this screen size with the bundled fonts.
FILE_X=10 CONTROL_X=42 QUAKES_X=110 BAR_Y=13

visible() { xdotool search --onlyvisible --class Quorview 2>/dev/null | wc -l; }

# Waits until the program shows n windows (frame, popups, dialogs).
wait_windows() {
  local n=$1 i
  for i in $(seq 1 1200); do
    [ "$(visible)" -ge "$n" ] && return 0
    sleep 0.1
  done
  fail "waited for $n windows, saw $(visible)"
}

# Waits until no more than n windows show (the popups of the last command gone).
wait_closed() {
  local n=$1 i
  for i in $(seq 1 1200); do
    [ "$(visible)" -le "$n" ] && return 0
    sleep 0.1
  done
  fail "waited for the popups to close, saw $(visible) windows"
}

# Polls a search until it finds a window: a window that goes away in the
# middle of a search (BadWindow) only means another try.
wait_for() {
  local what=$1 i
  shift
  for i in $(seq 1 1200); do
    xdotool search "$@" >/dev/null 2>&1 && return 0
    sleep 0.1
  done
  fail "waited for $what"
}

# Waits until the frame's caption ends with the view's name.
wait_caption() { wait_for "the view $1" --name "^Kestrune - .*/$1\$"; }

# Bar item at x, then the mnemonic keys of its popup and submenus in turn.
menu() {
  local x=$1 level=1 key
  shift
  wait_closed 1
  # A click the busy program missed is made again; a popup shows within seconds.
  local try i
  for try in $(seq 1 12); do
    xdotool mousemove "$x" "$BAR_Y" click 1
    for i in $(seq 1 100); do
      [ "$(visible)" -ge 2 ] && break 2
      sleep 0.1
    done
  done
  wait_windows $((level + 1))
  for key in "$@"; do
    level=$((level + 1))
    xdotool key "$key"
    # A submenu opens one more window; a command closes the popups.
    [ "$key" = "${@: -1}" ] || wait_windows $((level))
  done
}

# The file dialog: the name typed over whatever it shows, then Enter.
in_dialog() {
  local title=$1 name=$2
  wait_for "the dialog $title" --onlyvisible --name "^$title\$"
  sleep 0.5
  if [ "$title" = "Open" ]; then xdotool key ctrl+l; sleep 0.3; fi
  xdotool key ctrl+a
  xdotool type --delay 30 "$name"
  sleep 0.3
  xdotool key Return
}

# A prompt: without a window manager keys go to the window under the pointer,
# so the edit (at the left of the prompt's second row) is clicked first.
in_prompt() {
  local title=$1 value=$2 id
  wait_for "the prompt $title" --onlyvisible --name "^$title\$"
  sleep 0.5
  id=$(xdotool search --onlyvisible --name "^$title\$" | head -1)
  xdotool mousemove --window "$id" 40 58 click 1
  sleep 0.3
  xdotool key ctrl+a
  xdotool type --delay 30 "$value"
  sleep 0.3
  xdotool key Return
}

start() {
  "$quorview" 2>>"$work/stderr.txt" &
  pid=$!
  wait_caption WORLD  # the bundled start opens WORLD after its INIT TIMEOUT
  wait_windows 1
}

quit() {
  menu "$FILE_X" x
  local i
  for i in $(seq 1 300); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null && fail "Quorview did not quit"
  wait "$pid" || fail "Quorview ended with status $?"
}

grep -qx "DOTS: WHITE" JAPAN || fail "the bundled JAPAN view is not as this test expects"

start
menu "$FILE_X" o
in_dialog Open "$work/data/JAPAN"
wait_caption JAPAN
# "s" is also Set up Cross-Section View's key there: it selects Speed, Right opens it.
menu "$CONTROL_X" s Right 5    # Speed: 1 day per second
menu "$QUAKES_X" s m           # Earthquake Symbols: Moment Release
menu "$QUAKES_X" m             # Magnitude Cutoff: 7
in_prompt Magnitude 7
wait_closed 1
menu "$FILE_X" a
in_dialog "Save As" MyJapan
wait_caption MyJapan
quit

[ -f MyJapan ] || fail "the view was not saved as MyJapan ($(ls))"
# Rendering keeps the picture's bounds in the view file, so only the changes are compared.
grep -qx "DOTS: WHITE" JAPAN || fail "the view it came from took the dot style: $(grep DOTS JAPAN)"
grep -qx "DAYS PER SECOND: 1" JAPAN && fail "the view it came from took the speed"
grep -qx "MAGNITUDE CUTOFF: 6.0" JAPAN || fail "the view it came from took the cut-off: $(grep '^MAGNITUDE CUTOFF' JAPAN)"
grep -qx "DOTS: MOMENT RELEASE" MyJapan || fail "MyJapan lost the dot style: $(grep DOTS MyJapan)"
grep -qx "DAYS PER SECOND: 1" MyJapan || fail "MyJapan lost the speed: $(grep 'PER SECOND' MyJapan)"
grep -qE "^MAGNITUDE CUTOFF: 7(\.0)?$" MyJapan || fail "MyJapan lost the cut-off: $(grep '^MAGNITUDE CUTOFF' MyJapan)"

# Started again, the saved view opens with what was saved, and saving it
# again writes those settings from memory.
start
menu "$FILE_X" o
in_dialog Open "$work/data/MyJapan"
wait_caption MyJapan
menu "$FILE_X" a
in_dialog "Save As" Reopened
wait_caption Reopened
quit

for key in "DOTS" "MAGNITUDE CUTOFF" "DAYS PER SECOND" "MINUTES PER SECOND" "SECONDS PER SECOND"; do
  [ "$(grep "^$key: " Reopened)" = "$(grep "^$key: " MyJapan)" ] ||
    fail "the reopened view differs in $key: $(grep "^$key: " Reopened) against $(grep "^$key: " MyJapan)"
done
grep -E "Gtk-(WARNING|CRITICAL)" "$work/stderr.txt" && fail "the toolkit warned"
echo "opened, changed, saved as, quit, reopened: the changes held"
