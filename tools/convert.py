#!/usr/bin/env python3
"""Converters from the public sources in tools/sources/ to the data set's
text files and to the plain polylines that quordata encodes as segment files.
Standard library only; every output is a pure function of its inputs.

  convert.py lines SRC.pn2 CLASS OUT_PREFIX   polylines per resolution, OUT_PREFIX.S1.txt .. .S4.txt
  convert.py plates STEPS.csv BOUNDARIES.geojson OUT.txt
  convert.py cities CITIES.txt ADMIN1.txt COUNTRIES.txt OUT.csv
  convert.py plants PLANTS.csv OUT.csv
  convert.py eruptions GVP.csv OUT.ERA
  convert.py borders TOPO.json OBJECT OUT.txt    named polygons of a TopoJSON object as a border file
  convert.py annotations VIEWS_DIR CITIES.csv GEONAMES_CITIES.txt PLANTS.csv COUNTRIES.txt STATES.txt
             ERUPTIONS.csv PLATES.geojson OUT_DIR   each view's city, plant and region label files  (annotations.py)
"""
import collections
import csv
import json
import os
import re
import struct
import sys
import unicodedata

# ---- Text in the program's files: Windows-1252, "\n" line ends ---------------------


def to_1252(text, fallback=None):
    """The text in Windows-1252; characters it lacks lose their accents or go."""
    try:
        return text.encode("cp1252")
    except UnicodeEncodeError:
        pass
    if fallback:
        try:
            return fallback.encode("cp1252")
        except UnicodeEncodeError:
            pass
    plain = unicodedata.normalize("NFKD", text)
    return "".join(c for c in plain if not unicodedata.combining(c)).encode("cp1252", "ignore")


def csv_field(raw, limit):
    """A field for the program's CSV splitter: no quotes inside, quoted when it holds a comma."""
    raw = raw.replace(b'"', b"").replace(b"\r", b"").replace(b"\n", b" ").strip()[:limit]
    return b'"' + raw + b'"' if b"," in raw else raw


def write_lines(path, lines):
    with open(path, "wb") as f:
        for line in lines:
            f.write(line + b"\n")


# ---- Natural Earth lines as packed in marble-qt-data (".pn2") ---------------------
#
# Big-endian. Header: uint8 version (2), uint32 number of lines, uint8 flag
# "each line carries a class byte". Then records to the end of the file:
# uint8 kind (0 a line, 4 a group: uint8 part count, then that many kind-0
# records of the same id), uint32 id, [uint8 class], uint32 number of
# absolute nodes; each absolute node is int16 latitude, int16 longitude in
# 1/120 degree and uint16 number of relative nodes that follow it, each int8
# latitude and longitude offsets from that absolute node.


def read_pn2(path):
    data = open(path, "rb").read()
    if len(data) < 6 or data[0] != 2:
        raise SystemExit(f"{path}: not a version-2 pn2 file")
    has_class = data[5] != 0
    pos = 6
    lines = []

    def record(pos):
        kind, _ = struct.unpack_from(">BI", data, pos)
        pos += 5
        if kind == 4:
            parts = data[pos]
            pos += 1
            for _ in range(parts):
                pos = record(pos)
            return pos
        if kind != 0:
            raise SystemExit(f"{path}: record kind {kind} at byte {pos - 5} is not a line")
        if has_class:
            pos += 1
        (count,) = struct.unpack_from(">I", data, pos)
        pos += 4
        points = []
        for _ in range(count):
            lat, lon, rel = struct.unpack_from(">hhH", data, pos)
            pos += 6
            points.append((lon, lat))
            for _ in range(rel):
                dlat, dlon = struct.unpack_from(">bb", data, pos)
                pos += 2
                points.append((lon + dlon, lat + dlat))
        lines.append(points)
        return pos

    while pos < len(data):
        pos = record(pos)
    return lines


# ---- Thinning ------------------------------------------------------------------------


def simplify(points, tolerance):
    """Douglas-Peucker on integer points; closed rings are cut at their farthest point."""
    if tolerance <= 0 or len(points) < 3:
        return list(points)
    if points[0] == points[-1]:
        x0, y0 = points[0]
        far = max(range(len(points)), key=lambda i: ((points[i][0] - x0) ** 2 + (points[i][1] - y0) ** 2, -i))
        if far == 0:
            return [points[0]]
        return simplify(points[: far + 1], tolerance)[:-1] + simplify(points[far:], tolerance)
    keep = [False] * len(points)
    keep[0] = keep[-1] = True
    stack = [(0, len(points) - 1)]
    tol2 = tolerance * tolerance
    while stack:
        a, b = stack.pop()
        (ax, ay), (bx, by) = points[a], points[b]
        dx, dy = bx - ax, by - ay
        len2 = dx * dx + dy * dy
        best, best_d = -1, tol2
        for i in range(a + 1, b):
            px, py = points[i]
            if len2 == 0:
                d = (px - ax) ** 2 + (py - ay) ** 2
            else:
                cross = (px - ax) * dy - (py - ay) * dx
                d = cross * cross / len2
            if d > best_d:
                best, best_d = i, d
        if best >= 0:
            keep[best] = True
            stack.append((a, best))
            stack.append((best, b))
    return [p for p, k in zip(points, keep) if k]


def dedupe(points):
    out = []
    for p in points:
        if not out or out[-1] != p:
            out.append(p)
    return out


def split_at_wrap(points, half_turn):
    """Pieces without a step of half a turn or more in longitude (the sources cut lines at 180)."""
    pieces, cur = [], []
    for p in points:
        if cur and abs(p[0] - cur[-1][0]) >= half_turn:
            pieces.append(cur)
            cur = []
        cur.append(p)
    pieces.append(cur)
    return pieces


def half_away(n, d):
    """n / d rounded to the nearest integer, halves away from zero (d > 0)."""
    q, r = divmod(abs(n), d)
    if 2 * r >= d:
        q += 1
    return q if n >= 0 else -q


# Arc-minute tolerance per resolution digit, and the smallest extent kept.
# Digit 1 is drawn at 12 and more pixels per degree, 4 below 3 (world maps).
LEVELS = {1: (0, 0), 2: (2, 4), 3: (5, 10), 4: (12, 24)}


def write_polylines(path, segment_class, lines):
    out = [b"# class %d, %d lines" % (segment_class, len(lines))]
    for pts in lines:
        out.append(b"S %d" % segment_class)
        out.extend(b"%d %d" % p for p in pts)
    write_lines(path, out)


def cmd_lines(src, segment_class, prefix):
    source = read_pn2(src)
    # Sources are in 1/120 degree; coarse segment points are arc-minutes.
    minutes = []
    for line in source:
        for piece in split_at_wrap(line, 120 * 180):
            pts = dedupe([(half_away(x, 2), half_away(y, 2)) for x, y in piece])
            if len(pts) >= 2:
                minutes.append(pts)
    for digit, (tolerance, extent) in LEVELS.items():
        kept = []
        for pts in minutes:
            xs, ys = [p[0] for p in pts], [p[1] for p in pts]
            if max(max(xs) - min(xs), max(ys) - min(ys)) < extent:
                continue
            thin = dedupe(simplify(pts, tolerance))
            if len(thin) >= 2:
                kept.append(thin)
        write_polylines(f"{prefix}.S{digit}.txt", segment_class, kept)
        print(f"{os.path.basename(prefix)}.S{digit}: {len(kept)} lines, {sum(len(p) for p in kept)} points")


# ---- Plate boundaries -------------------------------------------------------------

RIDGE, CONVERGENT, TRANSFORM, PLATE = 9, 10, 11, 3
STEP_KINDS = {"OSR": RIDGE, "CRB": RIDGE, "SUB": CONVERGENT, "OCB": CONVERGENT, "CCB": CONVERGENT,
              "OTF": TRANSFORM, "CTF": TRANSFORM}


def cmd_plates(steps_path, boundaries_path, out_path):
    # The steps give each stretch of a boundary its kind; the boundary lines
    # give the geometry at full precision. Steps are matched to line vertices
    # by boundary name and end points (the steps round them to 0.001 degree).
    steps = collections.defaultdict(dict)
    with open(steps_path, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f):
            key = (round(float(row["StartLong"]) * 1000), round(float(row["StartLat"]) * 1000),
                   round(float(row["FinalLong"]) * 1000), round(float(row["FinalLat"]) * 1000))
            steps[row["PlateBoundIdentifer"]][key] = STEP_KINDS.get(row["StepClass"], PLATE)
    features = json.load(open(boundaries_path, encoding="utf-8"))["features"]

    def kind_of(name, a, b):
        table = steps.get(name, {})
        ka = (round(a[0] * 1000), round(a[1] * 1000))
        kb = (round(b[0] * 1000), round(b[1] * 1000))
        for dx0 in (0, -1, 1):
            for dy0 in (0, -1, 1):
                for dx1 in (0, -1, 1):
                    for dy1 in (0, -1, 1):
                        k = (ka[0] + dx0, ka[1] + dy0, kb[0] + dx1, kb[1] + dy1)
                        if k in table:
                            return table[k]
        return None

    lines, matched, total = [], 0, 0
    for feat in features:
        name = feat["properties"]["Name"]
        fallback = CONVERGENT if feat["properties"].get("Type") == "subduction" else PLATE
        coords = feat["geometry"]["coordinates"]
        cur_kind, cur = None, []
        for a, b in zip(coords, coords[1:]):
            total += 1
            kind = kind_of(name, a, b)
            if kind is None:
                kind = fallback
            else:
                matched += 1
            if kind != cur_kind and cur:
                lines.append((cur_kind, cur))
                cur = []
            if not cur:
                cur = [a]
            cur.append(b)
            cur_kind = kind
        if cur:
            lines.append((cur_kind, cur))
    out = [b"# plate boundaries: %d steps matched of %d" % (matched, total)]
    for kind, pts in lines:
        arcsec = dedupe([(half_away(round(x * 1e6) * 3600, 10 ** 6), half_away(round(y * 1e6) * 3600, 10 ** 6))
                         for x, y in pts])
        if len(arcsec) < 2:
            continue
        out.append(b"S %d" % kind)
        out.extend(b"%d %d" % p for p in arcsec)
    write_lines(out_path, out)
    counts = collections.Counter(k for k, _ in lines)
    print(f"{os.path.basename(out_path)}: {len(lines)} lines, {matched} of {total} stretches matched to a step, "
          f"by class {dict(sorted(counts.items()))}")


# ---- Cities -------------------------------------------------------------------------
# Name, region, country, latitude, longitude, population, country code. No
# header line; sorted the way the map editor inserts (whole line, any case).
# Lines stay under the 127 characters that the nearest-city search reads.


def cmd_cities(cities_path, admin1_path, countries_path, out_path):
    admin1 = {}
    with open(admin1_path, encoding="utf-8") as f:
        for row in f:
            cols = row.rstrip("\n").split("\t")
            if len(cols) >= 3:
                admin1[cols[0]] = to_1252(cols[1], cols[2])
    countries = {}
    with open(countries_path, encoding="utf-8") as f:
        for row in f:
            if row.startswith("#"):
                continue
            cols = row.rstrip("\n").split("\t")
            if len(cols) >= 5:
                countries[cols[0]] = to_1252(cols[4])
    lines = []
    with open(cities_path, encoding="utf-8") as f:
        for row in f:
            c = row.rstrip("\n").split("\t")
            if len(c) < 15:
                continue
            code = c[8]
            fields = [
                csv_field(to_1252(c[1], c[2]), 40),
                csv_field(admin1.get(f"{code}.{c[10]}", b""), 36),
                csv_field(countries.get(code, code.encode()), 30),
                b"%.4f" % float(c[4]),
                b"%.4f" % float(c[5]),
                b"%d" % int(c[14] or 0),
                code.encode(),
            ]
            lines.append(b",".join(fields))
    lines.sort(key=lambda l: (l.lower(), l))
    assert max(len(l) for l in lines) < 127
    write_lines(out_path, lines)
    print(f"{os.path.basename(out_path)}: {len(lines)} cities")


# ---- Nuclear plants ---------------------------------------------------------------
# One row per plant: the reactors of a site share a name up to their unit
# number. Columns 0 country, 2 name, 4 status, 6 latitude, 7 longitude as the
# program reads them; a header line first.

STATUS_ORDER = ["Operational", "Under Construction", "Suspended Operation", "Planned", "Suspended Construction",
                "Shutdown", "Decommissioning Completed", "Cancelled Construction", "Never Commissioned", "Unknown"]


def plant_name(name):
    name = re.sub(r"\s*\([^)]*\)\s*$", "", name)           # "Barakah-1 (Braka)"
    name = re.sub(r"[- ](\d+|[A-Z]\d*)$", "", name)         # "-1", "-A", " 2", "-B1"
    return name.strip()


def cmd_plants(src, out_path):
    groups = collections.OrderedDict()
    with open(src, newline="", encoding="utf-8") as f:
        for row in csv.DictReader(f):
            if not row["Latitude"] or not row["Longitude"]:
                continue  # no place to draw or test against
            groups.setdefault((row["CountryCode"], plant_name(row["Name"])), []).append(row)
    lines = [b"Country,CountryCode,Name,ReactorTypes,Status,CapacityMW,Latitude,Longitude,FirstOperation,Source,Reactors"]
    rows = []
    for (code, name), reactors in groups.items():
        # The site is where most of its reactors are; the first listed on a tie.
        spots = collections.Counter((r["Latitude"], r["Longitude"]) for r in reactors)
        best = max(spots.values())
        lat, lon = next(k for k in ((r["Latitude"], r["Longitude"]) for r in reactors) if spots[k] == best)
        status = min((r["Status"] for r in reactors),
                     key=lambda s: STATUS_ORDER.index(s) if s in STATUS_ORDER else len(STATUS_ORDER))
        types = sorted({r["ReactorType"] for r in reactors if r["ReactorType"]})
        capacity = sum(int(r["Capacity"]) for r in reactors if r["Capacity"].isdigit())
        first = min((r["OperationalFrom"] for r in reactors if r["OperationalFrom"]), default="")
        fields = [
            csv_field(to_1252(reactors[0]["Country"]), 30),
            code.encode(),
            csv_field(to_1252(name), 40),
            "/".join(types).encode(),
            status.encode(),
            b"%d" % capacity,
            b"%.4f" % float(lat),
            b"%.4f" % float(lon),
            first.encode(),
            b"GeoNuclearData",
            b"%d" % len(reactors),
        ]
        rows.append(b",".join(fields))
    rows.sort(key=lambda l: (l.lower(), l))
    assert max(len(l) for l in rows) < 179
    write_lines(out_path, lines + rows)
    print(f"{os.path.basename(out_path)}: {len(rows)} plants from {sum(len(v) for v in groups.values())} reactors with a position")


# ---- Eruptions ------------------------------------------------------------------------
# The tab-separated eruption list that the program builds its catalogue from:
# a header line, then identifier, flags, start y m d, stop y m d, type letter,
# size, latitude, longitude, name, the six date texts and a magnitude code.
# The identifier is the volcano's number, shared by all its eruptions, so that
# one volcano shows one eruption at a time.
# The source gives no eruption type, so it follows the explosivity index: 0
# lava (L), 1 and more explosive (E), unknown U. Confirmed eruptions from 1900
# on, the catalogue's years; an eruption of unknown end stops on its start day.


def days_in_month(year, month):
    if month == 2:
        return 29 if year % 4 == 0 and (year % 100 != 0 or year % 400 == 0) else 28
    return 30 if month in (4, 6, 9, 11) else 31


def cmd_eruptions(src, out_path):
    def number(text):
        return int(text) if text not in ("", "NA") else 0

    rows = []
    with open(src, newline="", encoding="utf-8") as f:
        for r in csv.DictReader(f):
            if r["eruption_category"] != "Confirmed Eruption" or number(r["start_year"]) < 1900:
                continue
            y0, m0, d0 = number(r["start_year"]), number(r["start_month"]), number(r["start_day"])
            y1, m1, d1 = number(r["end_year"]), number(r["end_month"]), number(r["end_day"])
            texts0 = [str(y0), str(m0) if m0 else "", str(d0) if d0 else ""]
            texts1 = [str(y1) if y1 else "", str(m1) if y1 and m1 else "", str(d1) if y1 and m1 and d1 else ""]
            m0, d0 = m0 or 1, d0 or 1
            if y1 == 0:
                y1, m1, d1 = y0, m0, d0
            else:
                m1 = m1 or 12
                d1 = d1 or days_in_month(y1, m1)
            vei = r["vei"]
            kind = "U" if vei in ("", "NA") else ("L" if vei == "0" else "E")
            fields = [r["volcano_number"][:9], "", str(y0), str(m0), str(d0), str(y1), str(m1), str(d1), kind,
                      vei if vei not in ("", "NA") else "0", "%.3f" % float(r["latitude"]),
                      "%.3f" % float(r["longitude"])]
            line = "\t".join(fields).encode() + b"\t" + to_1252(r["volcano_name"])[:30].replace(b"\t", b" ")
            line += b"\t" + "\t".join(texts0 + texts1 + [vei if vei not in ("", "NA") else "?"]).encode()
            rows.append(((y0, m0, d0, int(r["eruption_number"])), line))
    rows.sort()
    lines = [b"\t".join([b"id", b"flag", b"y0", b"m0", b"d0", b"y1", b"m1", b"d1", b"type", b"vei", b"lat", b"lon",
                          b"volcano", b"y0text", b"m0text", b"d0text", b"y1text", b"m1text", b"d1text", b"code"])]
    lines += [line for _, line in rows]
    assert max(len(l) for l in lines) < 160
    write_lines(out_path, lines)
    print(f"{os.path.basename(out_path)}: {len(rows)} eruptions")


# ---- Border files ----------------------------------------------------------------------
# TopoJSON: delta-encoded arcs in a quantised grid; a ring lists arc indices,
# ~i for arc i reversed. Each ring becomes one polygon, named in upper case.
# Polygons are written shortest name first (and the largest ring of a name
# first), so that a region found by a part of its name ("NIGER") is never a
# longer name that contains it ("NIGERIA").

BORDER_TOLERANCE = 20  # 1/1000 degree
MAX_BORDER_POINTS = 9999  # the header's "%5d" with its leading blank


def topo_arcs(topo):
    sx, sy = topo["transform"]["scale"]
    tx, ty = topo["transform"]["translate"]
    arcs = []
    for arc in topo["arcs"]:
        x = y = 0
        pts = []
        for dx, dy in arc:
            x += dx
            y += dy
            pts.append((x * sx + tx, y * sy + ty))
        arcs.append(pts)
    return arcs


def topo_ring(arcs, indices):
    ring = []
    for i in indices:
        pts = arcs[i] if i >= 0 else arcs[~i][::-1]
        ring.extend(pts if not ring else pts[1:])
    return ring


def ring_area(ring):
    return abs(sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]))) / 2


def split_at_antimeridian(ring):
    """The ring as closed rings on either side of 180 degrees, when it steps across it.

    A ring stitched across the antimeridian jumps by a full turn where it
    crosses, which neither the inside test nor a centroid survives. Unwrapped,
    it crosses one meridian; each run of points on one side is closed along the
    meridian to the run that the inside of the ring leads to: the crossings,
    sorted by latitude, pair up as the stretches of the meridian inside the ring.
    A ring round a pole (Antarctica) already runs along the meridian and stays.
    """
    n = len(ring)
    if n < 3 or all(abs(ring[i][0] - ring[i - 1][0]) < 180 for i in range(n)):
        return [ring]
    pts = [ring[0]]
    for x, y in ring[1:]:
        pts.append((x + 360 * round((pts[-1][0] - x) / 360), y))
    if abs(pts[-1][0] - pts[0][0]) >= 180:
        return [ring]
    if max(p[0] for p in pts) > 180:
        meridian, shift = 180, (0, -360)  # (west, east) side
    elif min(p[0] for p in pts) < -180:
        meridian, shift = -180, (360, 0)
    else:
        return [ring]
    east = [p[0] >= meridian for p in pts]
    if all(east) or not any(east):
        return [[(x + shift[east[0]], y) for x, y in pts]]
    crossing = {}  # edge i, from point i to the next: the latitude where it meets the meridian
    for i in range(n):
        (x0, y0), (x1, y1) = pts[i], pts[(i + 1) % n]
        if east[i] != east[(i + 1) % n]:
            crossing[i] = y0 + (y1 - y0) * (meridian - x0) / (x1 - x0)
    runs = {}  # the edge a run comes in by: (its side, its points, the edge it leaves by)
    for i in crossing:
        k, run = (i + 1) % n, []
        while True:
            run.append(pts[k])
            if k in crossing:
                break
            k = (k + 1) % n
        runs[i] = (east[(i + 1) % n], run, k)
    by_latitude = sorted(crossing, key=lambda i: (crossing[i], i))
    partner = {}
    for a, b in zip(by_latitude[0::2], by_latitude[1::2]):
        partner[a], partner[b] = b, a
    pieces, done = [], set()
    for first in sorted(runs):
        if first in done:
            continue
        side, piece, edge = runs[first][0], [], first
        while edge in runs and edge not in done and runs[edge][0] == side:
            done.add(edge)
            _, run, out = runs[edge]
            piece += [(meridian, crossing[edge])] + run + [(meridian, crossing[out])]
            edge = partner.get(out)
        pieces.append(dedupe([(x + shift[side], y) for x, y in piece]))
    return pieces


def thin_ring(ring):
    pts = dedupe([(round(x * 1000), round(y * 1000)) for x, y in ring])
    if len(pts) > 1 and pts[0] != pts[-1]:
        pts.append(pts[0])
    tolerance = BORDER_TOLERANCE
    out = simplify(pts, tolerance)
    while len(out) > MAX_BORDER_POINTS:
        tolerance *= 2
        out = simplify(pts, tolerance)
    if len(out) > 1 and out[0] == out[-1]:
        out = out[:-1]
    return [(x / 1000, y / 1000) for x, y in out]


def cmd_borders(src, object_name, out_path):
    with open(src, encoding="utf-8") as f:
        topo = json.load(f)
    arcs = topo_arcs(topo)
    polygons = []
    for g in topo["objects"][object_name]["geometries"]:
        name = to_1252(g.get("properties", {}).get("name", "")).upper()
        if not name:
            continue
        shells = g["arcs"] if g["type"] == "MultiPolygon" else [g["arcs"]] if g["type"] == "Polygon" else []
        for shell in shells:
            for piece in split_at_antimeridian(topo_ring(arcs, shell[0])):  # holes are left out
                ring = thin_ring(piece)
                if len(ring) >= 3:
                    polygons.append((name, ring))
    polygons.sort(key=lambda p: (len(p[0]), p[0], -ring_area(p[1])))
    out = []
    for name, ring in polygons:
        out.append(b"%5d %s" % (len(ring), name))
        out.extend(b"%-6.3f %7.3f" % (lat, lon) for lon, lat in ring)
    write_lines(out_path, out)
    print(f"{os.path.basename(out_path)}: {len(polygons)} polygons")


def read_border_file(path):
    polygons = []
    with open(path, "rb") as f:
        lines = f.read().split(b"\n")
    i = 0
    while i < len(lines):
        line = lines[i]
        i += 1
        if not line.startswith(b" "):
            continue
        count = int(line[:5])
        pts = [tuple(float(v) for v in l.split()) for l in lines[i:i + count]]
        i += count
        polygons.append((line[6:], [(lon, lat) for lat, lon in pts]))
    return polygons


def ring_centroid(ring):
    a = cx = cy = 0.0
    for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]):
        c = x0 * y1 - x1 * y0
        a += c
        cx += (x0 + x1) * c
        cy += (y0 + y1) * c
    if a == 0:
        return sum(p[0] for p in ring) / len(ring), sum(p[1] for p in ring) / len(ring)
    return cx / (3 * a), cy / (3 * a)


def main(argv):
    if len(argv) == 5 and argv[1] == "lines":
        cmd_lines(argv[2], int(argv[3]), argv[4])
    elif len(argv) == 5 and argv[1] == "plates":
        cmd_plates(argv[2], argv[3], argv[4])
    elif len(argv) == 6 and argv[1] == "cities":
        cmd_cities(argv[2], argv[3], argv[4], argv[5])
    elif len(argv) == 4 and argv[1] == "plants":
        cmd_plants(argv[2], argv[3])
    elif len(argv) == 4 and argv[1] == "eruptions":
        cmd_eruptions(argv[2], argv[3])
    elif len(argv) == 5 and argv[1] == "borders":
        cmd_borders(argv[2], argv[3], argv[4])
    elif len(argv) == 11 and argv[1] == "annotations":
        from annotations import cmd_annotations  # it reads this file's helpers

        cmd_annotations(*argv[2:11])
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv)
