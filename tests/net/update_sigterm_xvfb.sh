#!/usr/bin/env bash
# SIGTERM during an update: Quorview, under a virtual X server, starts its
# scheduled update against a local update server that accepts the connection
# and never answers; SIGTERM then ends the program long before the reply's
# 30-s wait, with status 0 and the catalogue as it was.
# Usage: update_sigterm_xvfb.sh XVFB_RUN QUORVIEW DATA_DIR
set -euo pipefail
xvfb_run=$1 quorview=$2 data=$3
work=$(mktemp -d)
server_pid=
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
cp -r "$data" "$work/data"
export XDG_CONFIG_HOME="$work/config"

# The update server that takes every connection and says nothing.
cat > "$work/silent.py" <<'PY'
import socket, sys, time
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(8)
print("PORT", s.getsockname()[1], flush=True)
held = []
deadline = time.time() + 300
s.settimeout(1)
while time.time() < deadline:
    try:
        c, _ = s.accept()
    except socket.timeout:
        continue
    held.append(c)
    with open(sys.argv[1], "a") as f:
        f.write("accepted\n")
PY
python3 "$work/silent.py" "$work/accepted.txt" > "$work/port.txt" &
server_pid=$!
for _ in $(seq 100); do grep -q '^PORT' "$work/port.txt" 2>/dev/null && break; sleep 0.1; done
port=$(awk '/^PORT/ {print $2}' "$work/port.txt")
[ -n "$port" ] || { echo "the silent server did not start"; exit 1; }

cd "$work/data"
# Due at the first housekeeping tick of a view: the bundled hour and minute are 0:00.
sed -i -e "s/^UPDATE SERVER:.*/UPDATE SERVER: 127.0.0.1/" -e "s/^UPDATE PORT:.*/UPDATE PORT: $port/" \
  -e "s/^SCHEDULE UPDATES:.*/SCHEDULE UPDATES: YES/" -e "s/^DEBUG:.*/DEBUG: YES/" QUORVEL.INI
before=$(md5sum WORLD.HY4)

cat > "$work/run.sh" <<'INNER'
#!/usr/bin/env bash
# Runs Quorview, waits for its update to connect, sends SIGTERM and reports
# the seconds it took to end and its status.
quorview=$1 accepted=$2
"$quorview" &
pid=$!
for _ in $(seq 600); do
  [ -s "$accepted" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$accepted" ]; then
  echo "no update connected"
  kill -KILL "$pid" 2>/dev/null
  exit 2
fi
sleep 1  # inside the wait for the server's first reply
start=$(date +%s.%N)
kill -TERM "$pid"
status=0
wait "$pid" || status=$?
end=$(date +%s.%N)
echo "ended after $(echo "$end - $start" | bc) s with status $status"
exit "$status"
INNER
status=0
timeout 120 "$xvfb_run" -a bash "$work/run.sh" "$quorview" "$work/accepted.txt" > "$work/out.txt" 2>"$work/stderr.txt" || status=$?
cat "$work/out.txt"
if [ "$status" -ne 0 ]; then
  echo "Quorview ended with status $status"
  cat "$work/stderr.txt"
  exit 1
fi
# Generous for a loaded machine, and far below the reply's 30-s wait.
seconds=$(awk '/^ended after/ {print $3}' "$work/out.txt")
if [ "$(echo "$seconds > 10" | bc)" -eq 1 ]; then
  echo "Quorview took $seconds s to end during the update"
  exit 1
fi
if [ "$(md5sum WORLD.HY4)" != "$before" ] || [ -e temptemp.hy4 ] || [ -e WORLD.hyt ]; then
  echo "the catalogue changed"
  exit 1
fi
grep -q "Termination signal: Exit" Debug.txt || { echo "no termination line in Debug.txt"; exit 1; }
grep -q "Update cancelled" Debug.txt || { echo "the update was not cancelled"; exit 1; }
echo "Quorview ended at once during the update, the catalogue whole"
