#!/usr/bin/env python3
"""Check the shipped files in data/ the way the program will read them.

    python3 tools/check-data.py [--data DIR]

Reads every file from its bytes (no code shared with the generators) and
exits 1 with a list of faults when anything is off.
"""

import argparse
import os
import re
import struct
import sys

PROJECT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RECORD_LENGTH = 213
WIDTHS = [7, 3, 2, 30, 6, 7, 5, 9, 10, 6, 20, 5, 5, 1, 90, 5, 1, 1]
NAMES = ["Ident", "CountryCode", "StateCode", "Location", "Frequency", "BeaconClass",
         "Power", "Latitude", "Longitude", "Current", "Cycle", "USB", "LSB", "DAID",
         "Comments", "LoggedMask", "CLEMark", "Spare"]
SHIFTED = 15
MAP_FILES = ["coast.pnt", "lake.pnt", "island.pnt", "river.pnt", "mapper.pnt",
             "prov.pnt", "state.pnt", "country.pnt"]
MAX_MAP_POINTS = 80000
MAX_SORTABLE = 10000


class Faults:
    def __init__(self):
        self.items = []

    def __call__(self, where, text):
        if len(self.items) < 200:
            self.items.append("%s: %s" % (where, text))
        elif len(self.items) == 200:
            self.items.append("... more faults not shown")


def text_lines(path, fault):
    """CR LF lines of a Windows-1252 text file, as str."""
    data = open(path, "rb").read()
    if not data.endswith(b"\r\n"):
        fault(path, "does not end with CR LF")
    if re.search(rb"(?<!\r)\n|\r(?!\n)", data):
        fault(path, "line ends other than CR LF")
    try:
        text = data.decode("cp1252")
    except UnicodeDecodeError as e:
        fault(path, "not Windows-1252: %s" % e)
        text = data.decode("cp1252", "replace")
    return text.split("\r\n")[:-1]


def fields_of(line):
    """Comma-separated fields; a quoted field may hold commas, blanks around
    an unquoted field do not count."""
    out, i, n = [], 0, len(line)
    while True:
        while i < n and line[i] == " ":
            i += 1
        if i < n and line[i] == '"':
            j = line.index('"', i + 1)
            out.append(line[i + 1:j])
            i = j + 1
            while i < n and line[i] == " ":
                i += 1
        else:
            j = line.find(",", i)
            j = n if j < 0 else j
            out.append(line[i:j].strip())
            i = j
        if i >= n:
            return out
        if line[i] != ",":
            raise ValueError("text after a quoted field: %r" % line)
        i += 1


def read_table(path, width, fault):
    rows = []
    for k, line in enumerate(text_lines(path, fault), 1):
        try:
            f = fields_of(line)
        except ValueError as e:
            fault("%s line %d" % (path, k), str(e))
            continue
        if len(f) != width:
            fault("%s line %d" % (path, k), "%d fields, expected %d" % (len(f), width))
            continue
        rows.append(f)
    return rows


def check_tables(data, fault):
    countries = read_table(os.path.join(data, "Country.dat"), 3, fault)
    states = read_table(os.path.join(data, "State.dat"), 3, fault)
    regions = read_table(os.path.join(data, "region.dat"), 3, fault)
    if not 0 < len(countries) <= 500:
        fault("Country.dat", "%d rows (1 to 500 fit the table)" % len(countries))
    if not 0 < len(states) <= 200:
        fault("State.dat", "%d rows (1 to 200 fit the table)" % len(states))
    country_names = {}
    for code, name, _ in countries:
        if not re.fullmatch(r"[A-Z]{3}", code):
            fault("Country.dat", "code %r is not three capitals" % code)
        if code in country_names:
            fault("Country.dat", "code %s twice" % code)
        country_names[code] = name
    for code, name in (("USA", "USA"), ("CAN", "Canada"), ("AUS", "Australia")):
        if country_names.get(code) != name:
            fault("Country.dat", "%s must be named %r, is %r" % (code, name, country_names.get(code)))
    pairs = set()
    for code, name, country in states:
        if not re.fullmatch(r"[A-Z]{2}", code):
            fault("State.dat", "code %r is not two capitals" % code)
        if country not in ("USA", "CAN", "AUS"):
            fault("State.dat", "%s belongs to %r, which has no state list" % (code, country))
        if (code, country) in pairs:
            fault("State.dat", "%s/%s twice" % (code, country))
        pairs.add((code, country))
        if not name:
            fault("State.dat", "%s has no name" % code)
    counts = {c: sum(1 for s in states if s[2] == c) for c in ("USA", "CAN", "AUS")}
    if counts != {"USA": 51, "CAN": 13, "AUS": 8}:
        fault("State.dat", "states per country %r, expected USA 51, CAN 13, AUS 8" % counts)
    region_codes = set()
    for code, name, country in regions:
        if not re.fullmatch(r"[A-Z]{2}", code) or not name:
            fault("region.dat", "bad row %r" % ([code, name, country],))
        if country and (code, country) not in pairs:
            fault("region.dat", "%s/%s is not in State.dat" % (code, country))
        region_codes.add(code)
    return country_names, pairs, region_codes


def check_metar(data, region_codes, fault):
    path = os.path.join(data, "Metar.txt")
    stations = []
    codes = set()
    for f in read_table(path, 6, fault):
        code, _, lat, lon, name, region = f
        where = "Metar.txt " + code
        if not re.fullmatch(r"[A-Z0-9]{3,4}", code) or code in codes:
            fault(where, "bad or repeated code")
        codes.add(code)
        try:
            lat_v, lon_v = float(lat), float(lon)
        except ValueError:
            fault(where, "position is not numeric")
            continue
        if not (-90 <= lat_v <= 90 and -180 <= lon_v <= 180):
            fault(where, "position out of range")
        if not name:
            fault(where, "no name")
        if region not in region_codes:
            fault(where, "region %r not in region.dat" % region)
        stations.append((code, lat_v, lon_v, name, region))
    if not stations:
        fault(path, "no station")
    return stations


def shift_down(raw):
    return bytes(b - 2 for b in raw)


def decode_record(rec):
    """Field texts as the program reads them: shifted fields trimmed, then unshifted."""
    out, pos = {}, 0
    for k, (name, width) in enumerate(zip(NAMES, WIDTHS)):
        raw = rec[pos:pos + width]
        pos += width
        out[name] = shift_down(raw.strip(b" ")).decode("cp1252") if k < SHIFTED else raw
    return out


def check_dms(text, hemis, degree_digits, max_deg):
    m = re.fullmatch(r"([%s])(\d{%d})(\d\d)(\d\d)00" % (hemis, degree_digits), text)
    if not m:
        return False
    d, mi, s = int(m.group(2)), int(m.group(3)), int(m.group(4))
    return mi < 60 and s < 60 and d * 3600 + mi * 60 + s <= max_deg * 3600


def check_ndb(data, country_names, pairs, fault):
    path = os.path.join(data, "ndb.dat")
    blob = open(path, "rb").read()
    if len(blob) % RECORD_LENGTH:
        fault(path, "length %d is not a whole number of records" % len(blob))
    n = len(blob) // RECORD_LENGTH
    if not 0 < n <= MAX_SORTABLE:
        fault(path, "%d records (the sort holds %d)" % (n, MAX_SORTABLE))
    records = []
    seen = set()
    last_freq = 0.0
    for i in range(n):
        rec = blob[i * RECORD_LENGTH:(i + 1) * RECORD_LENGTH]
        where = "ndb.dat record %d" % (i + 1)
        pos = 0
        for k, width in enumerate(WIDTHS[:SHIFTED]):
            raw = rec[pos:pos + width]
            pos += width
            body = raw.rstrip(b" ")
            # Shifted text never holds a blank, and no byte below 2 can be unshifted.
            if b" " in body or any(b < 2 for b in body):
                fault(where, "%s is not cleanly shifted: %r" % (NAMES[k], raw))
        f = decode_record(rec)
        try:
            freq = float(f["Frequency"])
        except ValueError:
            freq = 0.0
        if not 0 < freq < 4500:
            fault(where, "frequency %r fails the integrity check" % f["Frequency"])
        if freq < last_freq:
            fault(where, "not sorted by frequency")
        last_freq = freq
        if not f["Ident"]:
            fault(where, "empty ident")
        if f["CountryCode"] not in country_names:
            fault(where, "country %r not in Country.dat" % f["CountryCode"])
        if f["StateCode"] and (f["StateCode"], f["CountryCode"]) not in pairs:
            fault(where, "state %s/%s not in State.dat" % (f["StateCode"], f["CountryCode"]))
        if not check_dms(f["Latitude"], "NS", 2, 90):
            fault(where, "latitude %r" % f["Latitude"])
        if not check_dms(f["Longitude"], "EW", 3, 180):
            fault(where, "longitude %r" % f["Longitude"])
        if not re.fullmatch(r"(19|20)\d\d(0[1-9]|1[0-2])", f["Current"]):
            fault(where, "data month %r" % f["Current"])
        if f["DAID"] not in ("0", "1"):
            fault(where, "DAID %r" % f["DAID"])
        if f["LoggedMask"] != b"0    " or f["CLEMark"] != b" " or f["Spare"] != b" ":
            fault(where, "mask, session mark or spare not fresh")
        key = (f["Ident"], f["Frequency"], f["CountryCode"])
        if key in seen:
            fault(where, "same ident, frequency and country as an earlier record: %r" % (key,))
        seen.add(key)
        m = re.fullmatch(r"(.*);(\d)", f["Ident"])
        if m and (m.group(1), f["Frequency"], f["CountryCode"]) not in seen:
            fault(where, "suffix %r without its first record" % f["Ident"])
        records.append(f)
    return records


def check_map(path, fault):
    blob = open(path, "rb").read()
    where = os.path.basename(path)
    if not blob or len(blob) % 6:
        fault(where, "length %d is not a whole number of 6-byte records" % len(blob))
        return []
    recs = list(struct.iter_unpack("<hhh", blob))
    if len(recs) > MAX_MAP_POINTS:
        fault(where, "%d points, the map holds %d" % (len(recs), MAX_MAP_POINTS))
    if recs[0][0] <= 1000:
        fault(where, "first record does not start a polyline")
    run = 0
    for i, (level, lat, lon) in enumerate(recs):
        if abs(lat) > 5400 or abs(lon) > 10800:
            fault(where, "record %d out of range: %d, %d" % (i + 1, lat, lon))
        if level > 1000:
            if i and run < 2:
                fault(where, "polyline before record %d has fewer than 2 points" % (i + 1))
            run = 1
        else:
            run += 1
            if level < 1:
                fault(where, "record %d has level %d, never drawn" % (i + 1, level))
    if run < 2:
        fault(where, "last polyline has fewer than 2 points")
    return recs


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--data", default=os.path.join(PROJECT, "data"))
    args = ap.parse_args()
    fault = Faults()
    data = args.data

    for name in ["Country.dat", "State.dat", "region.dat", "Metar.txt", "ndb.dat"] + \
            [os.path.join("maps", m) for m in MAP_FILES]:
        if not os.path.isfile(os.path.join(data, name)):
            fault(name, "missing")
    if fault.items:
        sys.exit("\n".join(fault.items))

    country_names, pairs, region_codes = check_tables(data, fault)
    stations = check_metar(data, region_codes, fault)
    records = check_ndb(data, country_names, pairs, fault)
    for m in MAP_FILES:
        recs = check_map(os.path.join(data, "maps", m), fault)
        print("maps/%-12s %6d points %5d polylines" % (m, len(recs), sum(r[0] > 1000 for r in recs)))
    print("Country.dat %d rows, State.dat %d rows, region.dat %d codes, Metar.txt %d stations, "
          "ndb.dat %d records" % (len(country_names), len(pairs), len(region_codes),
                                  len(stations), len(records)))
    if fault.items:
        print("\n".join(fault.items), file=sys.stderr)
        sys.exit(1)
    print("all checks passed")


if __name__ == "__main__":
    main()
