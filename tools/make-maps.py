#!/usr/bin/env python3
"""Build the map outline files data/maps/*.pnt from GSHHG through GMT.

Needs Debian's gmt, gmt-gshhg-low and gmt-dcw (apt-get install gmt
gmt-gshhg-low gmt-dcw).  Standard library only apart from the gmt command.

    python3 tools/make-maps.py [--out DIR] [--gmt PATH]

Each file is a list of 6-byte records: level, latitude and longitude in
minutes of arc, signed 16-bit little-endian.  A polyline starts with a record
of level START_LEVEL; every other point carries a detail level from 1 to 10,
and the map draws a point only when its level is above the detail setting.
A point's level says how far it stands out of the simplified outline
(Douglas-Peucker): 10 for the points that give the coarsest shape, 1 for the
finest wiggles.
"""

import argparse
import math
import os
import struct
import subprocess
import sys
import tempfile

from qerntext import write_atomic

PROJECT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

START_LEVEL = 1001
TOP_LEVEL = 10
# A point gets level k + 2 when it stands at least THRESHOLDS[k] minutes of
# arc off the outline simplified without it; below the first one, level 1.
THRESHOLDS = [1, 2, 3, 5, 8, 13, 21, 34, 55]
assert len(THRESHOLDS) == TOP_LEVEL - 1
# The map reader holds this many points per file.
MAX_POINTS = 80000

# GMT river classes: 0 river-lakes, 1-4 permanent (major to minor),
# 5-7 intermittent, 8-10 canals.  Lesser classes fade out first.
RIVER_LEVEL_CAP = {0: 10, 1: 10, 2: 9, 3: 7, 4: 5, 5: 7, 6: 5, 7: 3, 8: 7, 9: 4, 10: 3}

DEG_PER_RAD = 180.0 / math.pi


def run_gmt(gmt, args):
    cmd = [gmt] + args
    # gmt leaves a gmt.history in its working folder: keep it out of the caller's.
    with tempfile.TemporaryDirectory() as scratch:
        res = subprocess.run(cmd, capture_output=True, text=True, cwd=scratch)
    if res.returncode != 0:
        sys.exit("%s failed:\n%s" % (" ".join(cmd), res.stderr))
    return res.stdout


def parse_segments(text):
    """GMT multisegment text -> list of (header, [(lon, lat), ...])."""
    segments, header, points = [], None, None
    for line in text.splitlines():
        if line.startswith(">"):
            if points:
                segments.append((header, points))
            header, points = line[1:].strip(), []
        elif line.strip() and not line.startswith("#"):
            lon, lat = line.split()[:2]
            points.append((float(lon), float(lat)))
    if points:
        segments.append((header, points))
    return segments


def header_level(header):
    """The class number at the end of a GMT dump header ("..., Level 3")."""
    return int(header.rsplit("Level", 1)[1].split()[0])


def point_key(lon, lat):
    if lon >= 180.0:
        lon -= 360.0
    return (round(lon, 6), round(lat, 6))


def chain(pieces):
    """Join bin-clipped pieces whose end is the next one's start."""
    by_start = {}
    for i, p in enumerate(pieces):
        by_start.setdefault(point_key(*p[0]), []).append(i)
    has_pred = set()
    for p in pieces:
        for j in by_start.get(point_key(*p[-1]), []):
            has_pred.add(j)
    used = [False] * len(pieces)
    lines = []
    # Open chains from their heads first, then what is left (closed rings).
    order = [i for i in range(len(pieces)) if i not in has_pred] + list(range(len(pieces)))
    for i in order:
        if used[i]:
            continue
        used[i] = True
        line = list(pieces[i])
        while True:
            nxt = [j for j in by_start.get(point_key(*line[-1]), []) if not used[j]]
            if not nxt:
                break
            used[nxt[0]] = True
            line.extend(pieces[nxt[0]][1:])
        lines.append(line)
    return lines


def to_minutes(line):
    """Degrees -> whole minutes of arc, repeated points removed."""
    out = []
    for lon, lat in line:
        lat_m = int(round(lat * 60))
        lon_m = int(round(lon * 60))
        if lon_m > 10800:
            lon_m -= 21600
        elif lon_m < -10800:
            lon_m += 21600
        if abs(lat_m) > 5400:
            raise ValueError("latitude out of range: %r" % lat)
        p = (lat_m, lon_m)
        if not out or out[-1] != p:
            out.append(p)
    return out


def unit_vector(p):
    lat = math.radians(p[0] / 60.0)
    lon = math.radians(p[1] / 60.0)
    c = math.cos(lat)
    return (c * math.cos(lon), c * math.sin(lon), math.sin(lat))


def angle(u, v):
    """Great-circle angle between two unit vectors, minutes of arc."""
    cx = u[1] * v[2] - u[2] * v[1]
    cy = u[2] * v[0] - u[0] * v[2]
    cz = u[0] * v[1] - u[1] * v[0]
    return math.atan2(math.sqrt(cx * cx + cy * cy + cz * cz),
                      u[0] * v[0] + u[1] * v[1] + u[2] * v[2]) * DEG_PER_RAD * 60.0


def offset(p, a, b, a_b_angle):
    """Distance of p from the arc a-b, minutes of arc."""
    if a_b_angle < 1e-9:
        return angle(p, a)
    nx = a[1] * b[2] - a[2] * b[1]
    ny = a[2] * b[0] - a[0] * b[2]
    nz = a[0] * b[1] - a[1] * b[0]
    norm = math.sqrt(nx * nx + ny * ny + nz * nz)
    side = (p[0] * nx + p[1] * ny + p[2] * nz) / norm
    # Past either end of the arc the nearer end is what counts.
    if angle(p, a) <= a_b_angle and angle(p, b) <= a_b_angle:
        return abs(math.asin(max(-1.0, min(1.0, side)))) * DEG_PER_RAD * 60.0
    return min(angle(p, a), angle(p, b))


def significance(points):
    """Douglas-Peucker significance of every inner point, minutes of arc.

    A point's value is capped by that of the split above it, so the points
    above any tolerance are exactly the outline simplified to it.
    """
    n = len(points)
    vec = [unit_vector(p) for p in points]
    sig = [0.0] * n
    stack = [(0, n - 1, math.inf)]
    while stack:
        i, j, cap = stack.pop()
        if j - i < 2:
            continue
        ab = angle(vec[i], vec[j])
        best, best_k = -1.0, i + 1
        for k in range(i + 1, j):
            d = offset(vec[k], vec[i], vec[j], ab)
            if d > best:
                best, best_k = d, k
        s = min(best, cap)
        sig[best_k] = s
        stack.append((i, best_k, s))
        stack.append((best_k, j, s))
    return sig


def level_for(minutes):
    level = 1
    for t in THRESHOLDS:
        if minutes >= t:
            level += 1
    return level


def encode_polyline(points, drop_below, cap):
    """Records of one polyline, or [] when it is too small to keep."""
    if len(points) < 2:
        return []
    sig = significance(points)
    chord = angle(unit_vector(points[0]), unit_vector(points[-1]))
    spread = max(sig[1:-1] + [chord])
    if spread < drop_below:
        return []
    if points[0] == points[-1]:
        # A ring thinned to one spoke would show as a stroke: it fades out
        # once it can no longer keep a third corner.
        inner = sorted(sig[1:-1])
        cap = min(cap, level_for(inner[-2]) if len(inner) > 1 else 1)
    records = [(START_LEVEL,) + points[0]]
    for k in range(1, len(points) - 1):
        if sig[k] >= drop_below:
            records.append((min(level_for(sig[k]), cap),) + points[k])
    # The last point is drawn whenever any part of the line is.
    records.append((min(level_for(spread), cap),) + points[-1])
    return records


def pack(records):
    return b"".join(struct.pack("<hhh", *r) for r in records)


def build_layer(lines_by_cap, drop_below):
    records = []
    # GMT gives some borders and rivers twice, once from each side and a
    # little apart: a line whose every step is already in the layer is a repeat.
    seen = set()
    for cap, lines in lines_by_cap:
        for line in lines:
            points = to_minutes(line)
            steps = {frozenset(e) for e in zip(points, points[1:])}
            if steps <= seen:
                continue
            seen |= steps
            records.extend(encode_polyline(points, drop_below, cap))
    if len(records) > MAX_POINTS:
        sys.exit("layer has %d points, more than %d" % (len(records), MAX_POINTS))
    return records


def shoreline(gmt, resolution, levels, min_area_km2=0):
    pieces = []
    for lev in levels:
        args = ["coast", "-Rd", "-D" + resolution, "-A%g/%d/%d" % (min_area_km2, lev, lev),
                "-W", "-M"]
        pieces.extend(p for _, p in parse_segments(run_gmt(gmt, args)))
    return chain(pieces)


def by_class(segments):
    classes = {}
    for header, pts in segments:
        classes.setdefault(header_level(header), []).append(pts)
    return classes


def inside_flags(gmt, points, country, workdir):
    """For each (lon, lat), whether it lies in the country's DCW outline."""
    poly = os.path.join(workdir, country + ".txt")
    with open(poly, "w") as f:
        f.write(run_gmt(gmt, ["coast", "-E" + country, "-M"]))
    pts = os.path.join(workdir, "points.txt")
    with open(pts, "w") as f:
        for i, (lon, lat) in enumerate(points):
            f.write("%.7f %.7f %d\n" % (lon, lat, i))
    out = run_gmt(gmt, ["select", pts, "-F" + poly, "-fg"])
    flags = [False] * len(points)
    for line in out.splitlines():
        if line.strip() and not line.startswith((">", "#")):
            flags[int(float(line.split()[2]))] = True
    return flags


def state_borders(gmt, resolution, workdir):
    """GMT's state borders split into the USA and Canada; others are dropped."""
    pieces = [p for _, p in parse_segments(run_gmt(gmt, ["coast", "-Rd", "-D" + resolution,
                                                         "-N2", "-M"]))]
    flat = [pt for p in pieces for pt in p]
    in_us = inside_flags(gmt, flat, "US", workdir)
    in_ca = inside_flags(gmt, flat, "CA", workdir)
    usa, can = [], []
    k = 0
    for p in pieces:
        us = sum(in_us[k:k + len(p)])
        ca = sum(in_ca[k:k + len(p)])
        k += len(p)
        # A border between two states lies inside its country; count votes
        # since the end points may sit on the national border.
        if us > ca and us * 2 >= len(p):
            usa.append(p)
        elif ca > us and ca * 2 >= len(p):
            can.append(p)
    return chain(usa), chain(can)


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--out", default=os.path.join(PROJECT, "data", "maps"),
                    help="output folder (default data/maps of the project)")
    ap.add_argument("--gmt", default="gmt", help="the gmt command")
    args = ap.parse_args()
    gmt = args.gmt

    layers = {}
    # Outlines coarser than the rounding to whole minutes add nothing.
    fine = 0.5
    layers["coast.pnt"] = build_layer([(TOP_LEVEL, shoreline(gmt, "l", [1]))], fine)
    # Ponds on islands in lakes are water too.
    layers["lake.pnt"] = build_layer([(TOP_LEVEL, shoreline(gmt, "l", [2, 4]))], fine)
    layers["island.pnt"] = build_layer([(TOP_LEVEL, shoreline(gmt, "l", [3]))], fine)
    rivers = by_class(parse_segments(run_gmt(gmt, ["coast", "-Rd", "-Dl", "-Ia", "-M"])))
    layers["river.pnt"] = build_layer(
        [(RIVER_LEVEL_CAP[c], chain(rivers[c])) for c in sorted(rivers)], fine)
    borders = [p for _, p in parse_segments(run_gmt(gmt, ["coast", "-Rd", "-Dl", "-N1", "-M"]))]
    layers["country.pnt"] = build_layer([(TOP_LEVEL, chain(borders))], fine)
    with tempfile.TemporaryDirectory() as work:
        usa, can = state_borders(gmt, "l", work)
    layers["state.pnt"] = build_layer([(TOP_LEVEL, usa)], fine)
    layers["prov.pnt"] = build_layer([(TOP_LEVEL, can)], fine)
    # The overview: crude coasts of land masses of 1000 km2 and more.
    layers["mapper.pnt"] = build_layer(
        [(TOP_LEVEL, shoreline(gmt, "c", [1], min_area_km2=1000))], 2)

    for name in ["coast.pnt", "lake.pnt", "island.pnt", "river.pnt", "mapper.pnt",
                 "prov.pnt", "state.pnt", "country.pnt"]:
        records = layers[name]
        write_atomic(os.path.join(args.out, name), pack(records))
        starts = sum(1 for r in records if r[0] > 1000)
        hist = [sum(1 for r in records if r[0] == lv) for lv in range(1, TOP_LEVEL + 1)]
        print("%-12s %6d points %5d lines  levels 1-10: %s" % (name, len(records), starts, hist))


if __name__ == "__main__":
    main()
