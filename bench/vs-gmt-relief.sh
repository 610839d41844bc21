#!/usr/bin/env bash
# Shaded relief of the whole world at 1920 x 1080 from the same 5-minute grid,
# drawn to a PNG twice: by GMT (grdimage with illumination) and by our own
# relief_png (the WORLD-RELIEF view), each a few times; prints the median wall
# times and their ratio. Run by hand, never in CI.
# Needs the Debian packages gmt and ghostscript, ferret-datasets for the grid,
# and a Release build:
#   cmake -S . -B build-rel -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-rel --target relief_png quordata
# Usage: bench/vs-gmt-relief.sh [BUILD_DIR] [RUNS]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build-rel}" && pwd)
runs=${2:-7}
tool=$build/bench/relief_png
cdf=/usr/share/ferret-vis/data/etopo5.cdf
[ -x "$tool" ] || { echo "no $tool: build the relief_png target first" >&2; exit 1; }
command -v gmt >/dev/null || { echo "gmt is not installed (apt-get install gmt ghostscript)" >&2; exit 1; }
[ -f "$cdf" ] || { echo "no $cdf (apt-get install ferret-datasets)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/data" "$work/ours"
cp -r "$root/data/." "$work/data/"
"$build/tools/quordata" etopo5 "$cdf" "$work/data/ETOPO5.DAT"
cd "$work"
gmt makecpt -Cgeo -T-8000/6000/250 > relief.cpt 2>/dev/null

now() { date +%s.%N; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

gmt_once() {
    gmt begin gmtrelief png E96 >/dev/null 2>&1
    gmt grdimage "$cdf?ROSE" -R-180/180/-70/75 -JM20i -Crelief.cpt -I+d
    gmt end
}
ours_once() { (cd ours && "$tool" "$work/data" WORLD-RELIEF ../ours.png 1920 1080 2>/dev/null); }

for _ in $(seq "$runs"); do
    a=$(now); gmt_once; b=$(now); echo "$b - $a" | bc >> gmt.times
    a=$(now); ours_once; b=$(now); echo "$b - $a" | bc >> ours.times
done
g=$(median < gmt.times)
o=$(median < ours.times)
echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "GMT image: $(file -b gmtrelief.png | cut -d, -f2)"
printf 'GMT median      %.3f s over %d runs\n' "$g" "$runs"
printf 'Kestrune median %.3f s over %d runs\n' "$o" "$runs"
printf 'ratio           %.1fx\n' "$(echo "$g / $o" | bc -l)"
