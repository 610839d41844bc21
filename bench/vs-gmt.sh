#!/usr/bin/env bash
# Draws the bundled WORLD map with the earthquakes it shows to a PNG twice: with
# GMT and with our own world_png, each run a few times in one go, and prints
# the median wall times and their ratio. Run by hand, never in CI.
# Needs the Debian packages gmt, gmt-gshhg-low and ghostscript (GMT makes its PNG
# through it), and a Release build:
#   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-rel --target world_png
# Usage: bench/vs-gmt.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-rel}" && pwd)
runs=${2:-7}
tool=$build/bench/world_png
[ -x "$tool" ] || { echo "no $tool: build the world_png target first" >&2; exit 1; }
command -v gmt >/dev/null || { echo "gmt is not installed (apt-get install gmt gmt-gshhg-low)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# GMT gets exactly the earthquakes the view draws (its cut-off and bounds),
# as world_png lists them, and the plate boundaries from our own dump of them
# (lat lon per line, segments separated by empty lines).
"$tool" "$root/data" warmup.png quakes.txt > ours.count
awk 'NF == 0 { print ">"; next } { print $2, $1 }' plates.txt > plates.gmt
gmt makecpt -Cseis -T0/700/70 > depth.cpt 2>/dev/null

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

gmt_once() {
    gmt begin gmtworld png E96 >/dev/null 2>&1
    gmt coast -R-180/180/-70/75 -JM20i -Gblack -Sblack -W0.5p,white -N1/0.5p,white -Dl -A1000
    gmt plot plates.gmt -W1p,red
    gmt plot quakes.txt -Ss0.0104i -Cdepth.cpt -i0,1,2  # one pixel each, as the replay leaves them
    gmt end
}
ours_once() { "$tool" "$root/data" ours.png >/dev/null; }

for _ in $(seq "$runs"); do
    a=$(now); gmt_once; b=$(now); echo "$b - $a" | bc >> gmt.times
    a=$(now); ours_once; b=$(now); echo "$b - $a" | bc >> ours.times
done
g=$(median < gmt.times)
o=$(median < ours.times)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "quakes: GMT $(wc -l < quakes.txt), Kestrune $(cut -d' ' -f1 ours.count) (of $(( $(stat -c %s "$root/data/WORLD.HY4") / 24 )) in the catalogue)"
printf 'GMT median      %.3f s over %d runs\n' "$g" "$runs"
printf 'Kestrune median %.3f s over %d runs\n' "$o" "$runs"
printf 'ratio           %.1fx\n' "$(echo "$g / $o" | bc -l)"
