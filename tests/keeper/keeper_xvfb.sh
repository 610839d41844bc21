#!/usr/bin/env bash
# Drives quorkeeper as a site keeper would, under a virtual X server, in a copy
# of the bundled data: unticks Menu Bar in the Controls dialog, sets the user
# timeout, opens Help, exits; the file must differ from the bundled one in
# those two keys only, and Help must have started xdg-open on the keeper's
# manual page. Then Quorview starts on it and ends cleanly.
# Usage: keeper_xvfb.sh XVFB_RUN QUORKEEPER QUORVIEW DATA_DIR
set -Eeuo pipefail

if [ "${1:-}" != "--inside" ]; then
  xvfb_run=$1 keeper=$(realpath "$2") quorview=$(realpath "$3") data=$4
  command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/install-deps.sh installs it)"; exit 1; }
  work=$(mktemp -d)
  trap 'rm -rf "$work"' EXIT
  cp -r "$data" "$work/data"
  for attempt in 1 2; do
    status=0
    timeout 200 "$xvfb_run" -a -s "-screen 0 1920x1080x24" bash "$0" --inside "$keeper" "$quorview" "$work" \
      2>"$work/xvfb.txt" || status=$?
    cat "$work/xvfb.txt" >&2
    grep -q "Xvfb failed to start" "$work/xvfb.txt" || break
  done
  [ "$status" -eq 0 ] || { echo "the run ended with status $status"; grep -v dconf "$work/stderr.txt" 2>/dev/null || true; exit 1; }
  exit 0
fi

keeper=$2 quorview=$3 work=$4
trap 'echo "FAILED at line $LINENO: $BASH_COMMAND"' ERR
cd "$work/data"
export XDG_CONFIG_HOME="$work/config"
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
# An xdg-open that only notes what it was asked to open: no browser here.
mkdir -p "$work/bin"
printf '#!/bin/sh\necho "$*" >> "%s/opened.txt"\n' "$work" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
export PATH="$work/bin:$PATH"

fail() { echo "FAILED: $*"; exit 1; }

# The first window whose name matches, once it shows.
window() {
  local i id
  for i in $(seq 1 600); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) || true
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  fail "waited for the window $1"
}
gone() {
  local i
  for i in $(seq 1 600); do
    xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  fail "the window $1 stayed"
}

# A bar item at x of the frame, then the item at (x, y) of its popup, both
# in the frame's pixels: without a window manager the popup takes no keys.
PREFERENCES_X=85 FILE_X=18 HELP_X=208 BAR_Y=12
CONTROL_Y=36 USER_TIMEOUT_Y=86 EXIT_Y=113
menu() {
  xdotool mousemove --window "$frame" "$1" "$BAR_Y" click 1
  sleep 1
  xdotool mousemove --window "$frame" "$2" "$3" click 1
}

cp QUORVEL.INI "$work/bundled.ini"
"$keeper" 2>>"$work/stderr.txt" &
pid=$!
frame=$(window "^Kestrune Maintenance: .*/QUORVEL.INI\$")
sleep 0.5

menu "$PREFERENCES_X" 100 "$CONTROL_Y"
dialog=$(window "^Controls\$")
sleep 0.5
xdotool mousemove --window "$dialog" 40 22 click 1      # Menu Bar
sleep 0.3
xdotool mousemove --window "$dialog" 197 384 click 1    # OK
gone "^Controls\$"

menu "$PREFERENCES_X" 100 "$USER_TIMEOUT_Y"
prompt=$(window "^User Timeout\$")
sleep 0.5
# Without a window manager keys go to the window under the pointer: the edit first.
xdotool mousemove --window "$prompt" 40 58 click 1
sleep 0.3
xdotool key ctrl+a
xdotool type --delay 30 "45"
xdotool key Return
gone "^User Timeout\$"

menu "$HELP_X" 230 36
for i in $(seq 1 50); do [ -s "$work/opened.txt" ] && break; sleep 0.1; done
[ "$(cat "$work/opened.txt" 2>/dev/null)" = "$PWD/manual-keeper.html" ] ||
  fail "Help opened: $(cat "$work/opened.txt" 2>/dev/null)"

menu "$FILE_X" 40 "$EXIT_Y"
for i in $(seq 1 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "quorkeeper did not exit"
wait "$pid" || fail "quorkeeper ended with status $?"

changed=$(diff "$work/bundled.ini" QUORVEL.INI | grep '^>' || true)
[ "$changed" = "$(printf '> MENU BAR: NO\n> TIMEOUT: 45')" ] || fail "the save changed: $(diff "$work/bundled.ini" QUORVEL.INI)"

KESTRUNE_EXIT_AFTER_MS=4000 "$quorview" 2>>"$work/stderr.txt" || fail "Quorview ended with status $?"
grep -qx "MENU BAR: NO" QUORVEL.INI || fail "Quorview's exit lost the keeper's change"
grep -E "Gtk-(WARNING|CRITICAL)" "$work/stderr.txt" && fail "the toolkit warned"
echo "Menu Bar unticked, user timeout set, saved; Quorview started on it"
