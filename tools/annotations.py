"""The annotation files of the views: each view's city, plant and region label
files, as the map editor would write them (see convert.py annotations).
"""
import collections
import csv
import json
import math
import os

from convert import csv_field, read_border_file, ring_area, ring_centroid, to_1252, write_lines

# ---- Annotation files of the views ----------------------------------------------------
# What the map editor would write: the city file with its header, the plant file
# with the plants' offset and operating flag, and region labels placed at their
# regions' centroids. The renderer keeps labels apart; these lists only keep
# a map from filling with dots.

CITY_HEADER = [b"symbol: circle", b"color: white", b"thickness: 3", b"vertical justify: center"]


def read_view_bounds(path):
    keys = {}
    with open(path, encoding="cp1252") as f:
        for line in f:
            k, _, v = line.partition(":")
            keys[k.strip()] = v.strip()
    return (float(keys["SOUTH LATITUDE"]), float(keys["NORTH LATITUDE"]), float(keys["LEFT LONGITUDE"]),
            float(keys["RIGHT LONGITUDE"]), keys.get("3D VIEW") != "YES" and keys.get("CROSS SECTION VIEW") != "YES")


def in_view(bounds, lat, lon, margin=0.0):
    south, north, west, east = bounds[:4]
    span = (east - west) % 360 or 360
    offset = (lon - west) % 360
    m_lat, m_lon = (north - south) * margin, span * margin
    return south + m_lat < lat < north - m_lat and m_lon < offset < span - m_lon


def csv_row(line):
    return next(csv.reader([line.decode("cp1252")]))


def region_labels(polygons, bounds, share):
    """Names whose largest ring has its centroid well inside and covers the share of the view.

    Largest first: the renderer places labels in file order, so the big
    regions take the room and a small one goes where it is left."""
    south, north, west, east = bounds[:4]
    view_area = ((east - west) % 360 or 360) * (north - south)
    seen, out = set(), []
    for name, ring in sorted(polygons, key=lambda p: (-ring_area(p[1]), p[0])):
        if name in seen:
            continue
        seen.add(name)
        lon, lat = ring_centroid(ring)
        if ring_area(ring) >= share * view_area and in_view(bounds, lat, lon, 0.05):
            out.append((name, lat, lon))
    return out


REGION_CHAR, REGION_HEIGHT = 16, 28  # pixels: a character and a line of the region font


def point_in_ring(ring, lon, lat):
    inside = False
    for (x0, y0), (x1, y1) in zip(ring, ring[1:] + ring[:1]):
        if (y0 > lat) != (y1 > lat) and lon < x0 + (x1 - x0) * (lat - y0) / (y1 - y0):
            inside = not inside
    return inside


def mercator(lat):
    return math.degrees(math.log(math.tan(math.pi / 4 + math.radians(max(-89.0, min(89.0, lat))) / 2)))


def two_lines(name):
    """A long name of several words as two lines, broken at the blank nearest its middle."""
    blanks = [i for i, c in enumerate(name) if c == 0x20]
    if len(name) <= 10 or not blanks:
        return name
    at = min(blanks, key=lambda i: (abs(2 * i - len(name)), i))
    return name[:at] + b"\\n" + name[at + 1:]


def place_region_labels(labels, polygons, bounds, dots):
    """Label points for a map of half the world and more, largest region first.

    On such a map a label is larger than many regions: each goes to the point
    of its region nearest its centroid where, in the size it takes on a
    1280 x 720 screen, it covers neither a label placed before it nor a city's
    dot; failing that, one that covers no label; failing those, the same in
    the size it takes on a 1920 x 1080 screen; else the centroid, where the
    renderer tries its own alternatives."""
    south, north, west, east = bounds[:4]
    scales = (pixels_per_degree(bounds, SMALL_MAP), pixels_per_degree(bounds, LARGE_MAP))
    rings = {}
    for name, ring in polygons:
        if name not in rings or ring_area(ring) > ring_area(rings[name]):
            rings[name] = ring

    def pixel(lat, lon, ppd):
        return ((lon - west) % 360) * ppd, -mercator(lat) * ppd

    def box(name, lat, lon, ppd):
        # A name broken into lines ("\\n" typed in the file) grows down from the first.
        parts = name.split(b"\\n")
        x, y = pixel(lat, lon, ppd)
        w = max(len(p) for p in parts) * REGION_CHAR + 10
        return (x - w / 2, y - REGION_HEIGHT / 2, x + w / 2, y + REGION_HEIGHT * (len(parts) - 0.5))

    def overlaps(a, b):
        return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]

    def fits(name, c, ppd, strict):
        b = box(name, *c, ppd)
        if b[0] < 0 or b[2] > ((east - west) % 360 or 360) * ppd:
            return False
        if b[1] < pixel(north, west, ppd)[1] or b[3] > pixel(south, west, ppd)[1]:
            return False
        if any(overlaps(b, box(n, la, lo, ppd)) for n, la, lo in placed):
            return False
        return not strict or not any(b[0] <= x <= b[2] and b[1] <= y <= b[3]
                                     for x, y in (pixel(la, lo, ppd) for la, lo in dots))

    placed = []
    for name, lat, lon in labels:
        ring = rings[name]
        name = two_lines(name)
        xs, ys = [p[0] for p in ring], [p[1] for p in ring]
        step = REGION_HEIGHT / 4 / scales[1]
        candidates = [(lat, lon)]
        for i in range(int((max(ys) - min(ys)) / step) + 1):
            for j in range(int((max(xs) - min(xs)) / step) + 1):
                c = (min(ys) + i * step, min(xs) + j * step)
                if point_in_ring(ring, c[1], c[0]):
                    candidates.append(c)
        candidates.sort(key=lambda c: (c != (lat, lon), (c[0] - lat) ** 2 + (c[1] - lon) ** 2))
        chosen = next((c for ppd in scales for strict in (True, False) for c in candidates
                       if fits(name, c, ppd, strict)), (lat, lon))
        placed.append((name, chosen[0], chosen[1]))
    return placed


def read_capitals(geonames_path):
    """(name, latitude, longitude) of the national capitals, as the city table writes them."""
    capitals = set()
    with open(geonames_path, encoding="utf-8") as f:
        for row in f:
            c = row.rstrip("\n").split("\t")
            if len(c) >= 15 and c[7] == "PPLC":
                name = csv_field(to_1252(c[1], c[2]), 40).strip(b'"').decode("cp1252")
                capitals.add((name, "%.4f" % float(c[4]), "%.4f" % float(c[5])))
    return capitals


def view_cities(cities, capitals, bounds, count):
    """The view's most populous places, one label each, capitals first.

    One place listed twice (London and the City of London share a population)
    keeps its capital, or else its larger entry; a city close to a more populous
    one on this scale goes, so the labels that are kept have room. The renderer
    places labels in file order, so capitals and the largest come first."""
    span = (bounds[3] - bounds[2]) % 360 or 360
    spacing = 0.02 * span
    same_place = 0.1  # degrees: one place under two names

    def capital(c):
        return (c[0], c[3], c[4]) in capitals

    inside = [c for c in cities if in_view(bounds, float(c[3]), float(c[4]))]
    inside.sort(key=lambda c: (-int(c[5]), not capital(c), c[0]))
    kept = []
    for c in inside:
        lat, lon = float(c[3]), float(c[4])
        near = [k for k in kept if (float(k[3]) - lat) ** 2 + ((float(k[4]) - lon + 180) % 360 - 180) ** 2
                < max(spacing, same_place) ** 2]
        if near:
            twin = near[0]
            if capital(c) and not capital(twin) and int(c[5]) == int(twin[5]) and \
                    (float(twin[3]) - lat) ** 2 + (float(twin[4]) - lon) ** 2 < same_place ** 2:
                kept[kept.index(twin)] = c
            continue
        kept.append(c)
        if len(kept) == count:
            break
    kept.sort(key=lambda c: (not capital(c), -int(c[5]), c[0]))
    return kept


# What the replay draws over the map's labels: eruption triangles at the
# volcanoes and the plate boundaries. A city's label goes to the side of its
# dot that they cover least, in the size a label takes on a 1280 x 720 screen.

SMALL_MAP = (945, 566)  # pixels of the map area on a 1280 x 720 screen
LARGE_MAP = (1544, 923)  # and on a 1920 x 1080 one
CITY_CHAR, CITY_HEIGHT = 7, 15  # pixels: a character and a line of the city font


class PointCells:
    """Points filed in one-degree cells, for counting those in a box."""

    def __init__(self):
        self.cells = collections.defaultdict(list)

    def add(self, lon, lat, weight):
        self.cells[(math.floor(lon), math.floor(lat))].append((lon, lat, weight))

    def weight_in(self, west, south, east, north):
        total = 0
        for cx in range(math.floor(west), math.floor(east) + 1):
            for cy in range(math.floor(south), math.floor(north) + 1):
                for lon, lat, weight in self.cells.get(((cx + 180) % 360 - 180, cy), ()):
                    lon += 360 * round(((west + east) / 2 - lon) / 360)
                    if west <= lon <= east and south <= lat <= north:
                        total += weight
        return total


def read_obstacles(eruptions_csv, plates_geojson):
    cells = PointCells()
    sites = set()
    with open(eruptions_csv, newline="", encoding="utf-8") as f:
        for r in csv.DictReader(f):
            if r["eruption_category"] == "Confirmed Eruption" and r["start_year"] not in ("", "NA") and \
                    int(r["start_year"]) >= 1900:
                sites.add((round(float(r["longitude"]), 2), round(float(r["latitude"]), 2)))
    for lon, lat in sorted(sites):
        cells.add(lon, lat, 3)  # a triangle covers more than a line does
    for feat in json.load(open(plates_geojson, encoding="utf-8"))["features"]:
        coords = feat["geometry"]["coordinates"]
        for (x0, y0), (x1, y1) in zip(coords, coords[1:]):
            steps = max(1, math.ceil(max(abs(x1 - x0), abs(y1 - y0)) / 0.25))
            for i in range(steps):
                cells.add(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, 1)
    return cells


def pixels_per_degree(bounds, area=SMALL_MAP):
    south, north, west, east = bounds[:4]
    span = (east - west) % 360 or 360
    return min(area[0] / span, area[1] / (mercator(north) - mercator(south)))


def city_side(city, bounds, obstacles, others):
    """"left" or "right" of the dot: the side the replay's symbols and the other dots cover least."""
    lat, lon = float(city[3]), float(city[4])
    ppd = pixels_per_degree(bounds)
    width = (len(city[0]) + 2) * CITY_CHAR / ppd
    half = CITY_HEIGHT / 2 * math.cos(math.radians(lat)) / ppd
    gap = CITY_CHAR / ppd
    best = None
    for side, west, east in (("right", lon + gap, lon + width), ("left", lon - width, lon - gap)):
        score = obstacles.weight_in(west, lat - half, east, lat + half)
        score += 3 * sum(1 for o in others if o is not city and west <= float(o[4]) <= east and
                         abs(float(o[3]) - lat) <= half)
        if not in_view(bounds, lat, west) or not in_view(bounds, lat, east):
            score += 1000
        if best is None or score < best[0]:
            best = (score, side)
    return best[1]


def cmd_annotations(views_dir, cities_csv, geonames_cities, plants_csv, countries_txt, states_txt, eruptions_csv,
                    plates_geojson, out_dir):
    with open(cities_csv, "rb") as f:
        cities = [csv_row(l) for l in f.read().split(b"\n") if l]
    capitals = read_capitals(geonames_cities)
    obstacles = read_obstacles(eruptions_csv, plates_geojson)
    with open(plants_csv, "rb") as f:
        plants = [csv_row(l) for l in f.read().split(b"\n")[1:] if l]
    countries = read_border_file(countries_txt)
    states = read_border_file(states_txt)
    for view in sorted(os.listdir(views_dir)):
        bounds = read_view_bounds(os.path.join(views_dir, view))
        if not bounds[4]:
            continue  # overlays are drawn in map views only
        world = view.startswith("WORLD")
        lines = list(CITY_HEADER)
        shown = view_cities(cities, capitals, bounds, 30 if world else 24)
        justify = "left"  # the text starts at the dot: the label is right of it
        for c in shown:
            side = city_side(c, bounds, obstacles, shown)
            wanted = "left" if side == "right" else "right"
            if wanted != justify:
                lines.append(b"horizontal justify: " + wanted.encode())
                justify = wanted
            lines.append(b"%7.3f %8.3f %s" % (float(c[3]), float(c[4]), to_1252(c[0])))
        if justify != "left":
            lines.append(b"horizontal justify: left")  # a city the map editor appends takes the usual side
        write_lines(os.path.join(out_dir, view + ".CAF"), lines)
        lines = []
        # Plant labels would crowd out the cities on maps of half the world and more.
        wide = ((bounds[3] - bounds[2]) % 360 or 360) > 90
        for p in [] if wide else sorted(plants, key=lambda p: p[2]):
            if in_view(bounds, float(p[6]), float(p[7])):
                lines.append(b"%7.3f %8.3f %s /d20 /o%d" % (float(p[6]), float(p[7]), to_1252(p[2]),
                                                           p[4] == "Operational"))
        write_lines(os.path.join(out_dir, view + ".npp.txt"), lines)
        share = 0.002 if world else 0.004
        with open(os.path.join(views_dir, view), encoding="cp1252") as f:
            listed = f.read()
        for kind, polygons in (("country", countries), ("state", states)):
            if f"TEXT FILE: {view}.{kind}.txt" not in listed:
                continue
            labels = region_labels(polygons, bounds, share)
            lines = [b"vertical justify: center", b"horizontal justify: center"]
            if ((bounds[3] - bounds[2]) % 360 or 360) >= 180:
                dots = [(float(c[3]), float(c[4])) for c in shown]
                lines += [b"%5.2f %6.2f %s" % (lat, lon, name)
                          for name, lat, lon in place_region_labels(labels, polygons, bounds, dots)]
            else:
                lines += [b"%5.2f %6.2f %s /CENTROID" % (lat, lon, name) for name, lat, lon in labels]
            write_lines(os.path.join(out_dir, f"{view}.{kind}.txt"), lines)
    print(f"annotations of {len(os.listdir(views_dir))} views")
