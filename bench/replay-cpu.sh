#!/usr/bin/env bash
# The share of one core Quorview uses while it replays WORLD at 1 year per
# second under Xvfb: a copy of the bundled data whose INIT TIMEOUT runs out
# after 1 s, a warm-up, then the process's CPU time over a measured span.
# Run by hand, never in CI. Usage: bench/replay-cpu.sh [BUILD_DIR] [SECONDS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-rel}" && pwd)
span=${2:-20}
quorview=$build/app/Quorview
[ -x "$quorview" ] || { echo "no $quorview: build the Quorview target first" >&2; exit 1; }

work=$(mktemp -d)
cleanup() {
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
cp -r "$root/data" "$work/data"
sed -i 's/^INIT TIMEOUT:.*/INIT TIMEOUT: 1/' "$work/data/QUORVEL.INI"
export XDG_CONFIG_HOME="$work/config"
cd "$work/data"
KESTRUNE_EXIT_AFTER_MS=$(( (span + 8) * 1000 )) xvfb-run -a -s '-screen 0 1920x1080x24' \
    bash -c 'echo $$ > "$1"; exec "$2"' _ "$work/pid" "$quorview" >/dev/null 2>&1 &
# The program's own pid, written by the shell that becomes it.
for _ in $(seq 200); do
    [ -s "$work/pid" ] && break
    sleep 0.1
done
pid=$(cat "$work/pid" 2>/dev/null || true)
[ -n "$pid" ] || { echo "Quorview did not start" >&2; exit 1; }
sleep 5  # the time-out, the first rendering and the replay's start

ticks=$(getconf CLK_TCK)
cpu() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
c0=$(cpu); t0=$(date +%s.%N)
sleep "$span"
c1=$(cpu); t1=$(date +%s.%N)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "CPU while replaying: $(echo "scale=1; 100 * ($c1 - $c0) / $ticks / ($t1 - $t0)" | bc) % of a core over ${span} s"
