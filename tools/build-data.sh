#!/usr/bin/env bash
# Builds data/ from the public sources in tools/sources/, byte for byte the
# same on every run.
#
#   tools/build-data.sh            refresh the Debian-packaged sources (installing
#                                  the packages when missing), then build data/
#   tools/build-data.sh --offline  build from tools/sources/ alone
#   tools/build-data.sh --check    build into a scratch folder and compare with data/
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
sources="$root/tools/sources"
settings="$root/tools/settings"
offline=0
check=0
for arg in "$@"; do
    case "$arg" in
        --offline) offline=1 ;;
        --check) check=1 ;;
        *) echo "usage: $0 [--offline] [--check]" >&2; exit 2 ;;
    esac
done

say() { echo "build-data: $*"; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# The Debian packages whose files are copied into tools/sources/.
natural_earth=/usr/share/marble/data/naturalearth
geonames=/usr/share/libtimezonemap/ui
refresh_sources() {
    local missing=()
    for pkg in marble-qt-data libtimezonemap-data; do
        dpkg -s "$pkg" >/dev/null 2>&1 || missing+=("$pkg")
    done
    command -v npm >/dev/null 2>&1 || missing+=(npm)
    if [ ${#missing[@]} -gt 0 ]; then
        say "installing ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
    fi
    for f in ne_50m_coastline ne_50m_admin_0_boundary_lines_land ne_50m_admin_1_states_provinces_lines \
             ne_50m_rivers_lake_centerlines; do
        cp "$natural_earth/$f.pn2" "$sources/"
    done
    for f in cities15000.txt admin1Codes.txt countryInfo.txt; do
        cp "$geonames/$f" "$sources/"
    done
    # Country and US state polygons from the npm registry's TopoJSON packages.
    local npmdir
    npmdir="$(mktemp -d)"
    npm install --silent --no-audit --no-fund --prefix "$npmdir" world-atlas@2.0.2 us-atlas@3.0.1 >/dev/null
    cp "$npmdir/node_modules/world-atlas/countries-50m.json" "$sources/world-atlas-countries-50m.json"
    cp "$npmdir/node_modules/us-atlas/states-10m.json" "$sources/us-atlas-states-10m.json"
    rm -rf "$npmdir"
}

if [ "$offline" -eq 0 ]; then
    "$root/scripts/install-deps.sh"   # the compiler and libraries the build needs
    refresh_sources
fi

# quordata: the steps that go through the program's own parsers and writers.
builddir="$root/build-data"
generator=()
command -v ninja >/dev/null 2>&1 && generator=(-G Ninja)
cmake -S "$root" -B "$builddir" "${generator[@]}" -DKESTRUNE_BENCH=OFF -DKESTRUNE_TOOLS=ON >/dev/null
cmake --build "$builddir" --target quordata >/dev/null
quordata="$builddir/tools/quordata"

stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
out="$stage/data"
work="$stage/work"
mkdir -p "$out" "$work"
convert=(python3 "$root/tools/convert.py")

say "map segment files"
"${convert[@]}" lines "$sources/ne_50m_coastline.pn2" 1 "$work/COAST"
"${convert[@]}" lines "$sources/ne_50m_admin_0_boundary_lines_land.pn2" 2 "$work/COUNTRY"
"${convert[@]}" lines "$sources/ne_50m_admin_1_states_provinces_lines.pn2" 4 "$work/STATE"
"${convert[@]}" lines "$sources/ne_50m_rivers_lake_centerlines.pn2" 7 "$work/RIVER"
for family in COAST COUNTRY STATE RIVER; do
    for digit in 1 2 3 4; do
        "$quordata" segments "$out/$family.S$digit" "$work/$family.S$digit.txt"
    done
done
# What a view that names no map file draws.
"$quordata" segments "$out/ALL.S4" "$work/COAST.S4.txt" "$work/COUNTRY.S4.txt"
"${convert[@]}" plates "$sources/pb2002-steps.csv" "$sources/pb2002-boundaries.geojson" "$work/PLATES.S0.txt"
"$quordata" segments "$out/PLATES.S0" "$work/PLATES.S0.txt"

say "places"
"${convert[@]}" cities "$sources/cities15000.txt" "$sources/admin1Codes.txt" "$sources/countryInfo.txt" \
    "$out/CityLatLonPop.csv"
"${convert[@]}" plants "$sources/geonucleardata-nuclear_power_plants.csv" "$out/Reactor_Data_NRDC.csv"

say "border sets and annotation files"
"${convert[@]}" borders "$sources/world-atlas-countries-50m.json" countries "$out/CountryBorders.txt"
"${convert[@]}" borders "$sources/us-atlas-states-10m.json" states "$out/StateBorders.txt"
"${convert[@]}" annotations "$settings/views" "$out/CityLatLonPop.csv" "$sources/cities15000.txt" \
    "$out/Reactor_Data_NRDC.csv" "$out/CountryBorders.txt" "$out/StateBorders.txt" \
    "$sources/gvp-eruptions.csv" "$sources/pb2002-boundaries.geojson" "$out"
cp "$settings/CIRCLE" "$out/"

say "earthquake catalogue"
"$quordata" catalogue "$out/WORLD.HY4" "$sources/usgs-comcat-m6-1900-2023.csv" \
    "$sources/usgs-comcat-m5-2013-2023.csv"

say "eruption catalogue"
"${convert[@]}" eruptions "$sources/gvp-eruptions.csv" "$work/WORLD.ERA"
"$quordata" eruptions "$work/WORLD.ERA" "$out"

say "plant symbols"
python3 "$root/tools/plant_symbols.py" "$out"

say "configuration and views"
"$quordata" config "$settings" "$out"
for view in "$settings"/views/*; do
    "$quordata" view "$view" "$out"
done
cp "$settings/WORLD.VUS" "$out/"
cp "$settings/TERRAIN.HUE" "$out/"

say "welcome text and start picture"
cp "$settings"/*.TXT "$settings"/manual-*.html "$out/"
"$quordata" startpicture "$out" "$out/START.BMP"

data="$root/data"
if [ "$check" -eq 1 ]; then
    status=0
    for f in "$out"/*; do
        name="$(basename "$f")"
        if ! cmp -s "$f" "$data/$name"; then
            say "differs: $name"
            status=1
        fi
    done
    for f in "$data"/*; do
        name="$(basename "$f")"
        [ "$name" = README.md ] || [ -e "$out/$name" ] || { say "not built: $name"; status=1; }
    done
    [ "$status" -eq 0 ] && say "data/ is identical to a fresh build"
    exit "$status"
fi

mkdir -p "$data"
find "$data" -maxdepth 1 -type f ! -name README.md -delete
cp "$out"/* "$data/"
say "data/: $(find "$data" -maxdepth 1 -type f | wc -l) files, $(du -sh --apparent-size "$data" | cut -f1)"
