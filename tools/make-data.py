#!/usr/bin/env python3
"""Build the shipped tables and the starter beacon database in data/.

Makes Country.dat, State.dat, region.dat, Metar.txt and ndb.dat from the
tab-separated extracts described in ../shared/data/README.md.  Standard
library only.  Run from anywhere:

    python3 tools/make-data.py [--source DIR] [--out DIR]
"""

import argparse
import csv
import os
import sys

from qerntext import csv_line, to_cp1252, write_atomic

PROJECT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

RECORD_LENGTH = 213
# (name, width, shifted) in record order.
FIELDS = [
    ("Ident", 7, True), ("CountryCode", 3, True), ("StateCode", 2, True),
    ("Location", 30, True), ("Frequency", 6, True), ("BeaconClass", 7, True),
    ("Power", 5, True), ("Latitude", 9, True), ("Longitude", 10, True),
    ("Current", 6, True), ("Cycle", 20, True), ("USB", 5, True),
    ("LSB", 5, True), ("DAID", 1, True), ("Comments", 90, True),
    ("LoggedMask", 5, False), ("CLEMark", 1, False), ("Spare", 1, False),
]
assert sum(w for _, w, _ in FIELDS) == RECORD_LENGTH

# The nav data is cycle 2013.10: that is the "data as of" month of every beacon.
DATA_MONTH = "201310"

# The program's own sort holds 10000 records; its loops stop at 32767.
MAX_RECORDS = 10000

# Beacons whose nearest airport gave no country: the places are well known,
# so they get their real country here.  Keyed by ident, frequency and name.
COUNTRY_FIXES = {
    ("AGG", "429", "Agalega"): ("MUS", ""),
    ("BS", "428", "Bondsteel"): ("XKX", ""),
    ("CP", "386", "Constable Pynt"): ("GRL", ""),
    ("GLS", "272", "Galapagos"): ("ECU", ""),
    ("IBL", "246", "Isabela"): ("ECU", ""),
    ("SCR", "300", "San Cristobal"): ("ECU", ""),
    ("IRJ", "360", "Isla Rey Jorge"): ("ATA", ""),
    ("MBI", "345", "Marambio"): ("ATA", ""),
    ("DNO", "295", "Orcadas Del Sur"): ("ATA", ""),
    ("NHG", "1600", "Palmer Station"): ("ATA", ""),
    ("IRC", "293", "Isla Robinson Crusoe"): ("CHL", ""),
    ("JAN", "362", "Jan Mayen"): ("SJM", ""),
    ("LHI", "272", "Lord Howe Island"): ("AUS", "NS"),
    ("MH", "380", "Manihiki"): ("COK", ""),
    ("PY", "400", "Penrhyn"): ("COK", ""),
    ("MV", "396", "Mesters Vig"): ("GRL", ""),
    ("ML", "343", "Minami Torishima"): ("JPN", ""),
    ("NK", "595", "Nikolskoye"): ("RUS", ""),
    ("NK", "394", "Nukunonu"): ("TKL", ""),
    ("PRI", "364", "Pristina"): ("XKX", ""),
    ("RBT", "399", "Pristina"): ("XKX", ""),
    ("BA", "420", "Pristina"): ("XKX", ""),
    ("VRN", "337", "Vranje"): ("SRB", ""),
}

# Kosovo has no ISO 3166-1 entry; XKX is the code in common use for it.
EXTRA_COUNTRIES = [("XKX", "Kosovo", "XK")]
# Fallback for a beacon that has no country and no entry above.
UNKNOWN_COUNTRY = ("XXX", "Unknown", "")

# Names the program compares literally when it lists states.
COUNTRY_NAME_OVERRIDES = {"USA": "USA", "CAN": "Canada", "AUS": "Australia"}

# NS, NT and WA exist in two countries and the program finds a state name by
# code alone, taking the first row: Australia comes first because it has
# more of the beacons with those codes (NS, WA) in this database.
STATE_COUNTRY_ORDER = ["AUS", "CAN", "USA"]

# Country of a Metar region code that two countries share, by ICAO prefix.
ICAO_COUNTRY = {"C": "CAN", "Y": "AUS", "K": "USA", "P": "USA"}


def read_tsv(path):
    with open(path, encoding="utf-8", newline="") as f:
        rows = list(csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE))
    header, body = rows[0], rows[1:]
    for r in body:
        if len(r) != len(header):
            sys.exit("%s: row %r has %d fields, expected %d"
                     % (path, r, len(r), len(header)))
    return [dict(zip(header, r)) for r in body]


def shift_up(data):
    if any(b > 253 for b in data):
        raise ValueError("byte above 253 cannot be shifted: %r" % data)
    return bytes(b + 2 for b in data)


def fit(data, width):
    return data[:width].ljust(width, b" ")


def dms(value, hemispheres, degree_digits):
    """Signed decimal degrees as hemisphere, degrees, minutes, seconds and "00"."""
    seconds = round(abs(value) * 3600)
    d, rest = divmod(seconds, 3600)
    m, s = divmod(rest, 60)
    hemi = hemispheres[0] if value >= 0 else hemispheres[1]
    return "%s%0*d%02d%02d00" % (hemi, degree_digits, d, m, s)


def encode_record(values):
    """One 213-byte record from a dict of field texts (str)."""
    out = bytearray()
    for name, width, shifted in FIELDS:
        raw = to_cp1252(values.get(name, ""))
        # Padding blanks come after the shift and stay plain.
        out += fit(shift_up(raw) if shifted else raw, width)
    assert len(out) == RECORD_LENGTH
    return bytes(out)


def build_countries(src):
    rows = [(r["alpha3"], r["name"], r["alpha2"]) for r in read_tsv(src)]
    codes = {c for c, _, _ in rows}
    for extra in EXTRA_COUNTRIES:
        assert extra[0] not in codes
        rows.append(extra)
    rows = [(c, COUNTRY_NAME_OVERRIDES.get(c, n), a2) for c, n, a2 in rows]
    return sorted(rows)


def build_states(src):
    rows = [(r["code2"], r["name"], r["country3"]) for r in read_tsv(src)]
    for code, _, country in rows:
        assert len(code) == 2 and country in STATE_COUNTRY_ORDER, (code, country)
    # Each country's rows by name: the editor lists them in file order.
    return sorted(rows, key=lambda r: (STATE_COUNTRY_ORDER.index(r[2]), r[1]))


def build_beacons(src, country_codes, state_pairs, report):
    rows = read_tsv(src)
    fixed = set()
    beacons = []
    for index, r in enumerate(rows):
        country, state = r["country3"], r["state2"]
        key = (r["ident"], r["freq_khz"], r["name"])
        if not country:
            if key in COUNTRY_FIXES:
                country, state = COUNTRY_FIXES[key]
                fixed.add(key)
            else:
                country = UNKNOWN_COUNTRY[0]
                report.append("no country for %s %s %s: %s" % (key + (country,)))
        if country not in country_codes and country != UNKNOWN_COUNTRY[0]:
            sys.exit("beacon %r: country %s not in Country.dat" % (key, country))
        if state and (state, country) not in state_pairs:
            sys.exit("beacon %r: state %s/%s not in State.dat" % (key, state, country))
        freq = float(r["freq_khz"])
        if not 0 < freq < 4500:
            sys.exit("beacon %r: frequency out of range" % (key,))
        beacons.append({
            "order": (freq, r["ident"], country, index),
            "Ident": r["ident"], "CountryCode": country, "StateCode": state,
            "Location": r["name"], "Frequency": r["freq_khz"],
            "Latitude": dms(float(r["lat"]), "NS", 2),
            "Longitude": dms(float(r["lon"]), "EW", 3),
            "Current": DATA_MONTH, "DAID": "0", "LoggedMask": "0",
        })
    unused = set(COUNTRY_FIXES) - fixed
    if unused:
        report.append("country fixes not used: %s" % sorted(unused))
    beacons.sort(key=lambda b: b["order"])

    # Same ident, frequency and country: the later ones get ;2, ;3 ...
    seen = {}
    for b in beacons:
        key = (b["Ident"], b["Frequency"], b["CountryCode"])
        seen[key] = seen.get(key, 0) + 1
        if seen[key] > 1:
            if seen[key] > 9:
                sys.exit("more than nine beacons %r" % (key,))
            b["Ident"] = (b["Ident"] + ";%d" % seen[key])[:7]
            report.append("duplicate %s %s %s -> %s" % (key + (b["Ident"],)))
    if len(beacons) > MAX_RECORDS:
        sys.exit("%d beacons: the program sorts at most %d" % (len(beacons), MAX_RECORDS))
    return beacons


def build_metar(src, state_rows):
    by_code = {}
    for code, name, country in state_rows:
        by_code.setdefault(code, []).append((country, name))
    stations, regions = [], {}
    for r in read_tsv(src):
        code, region = r["icao"], r["region"]
        assert len(code) == 4 and code.isalpha() and code.isupper(), code
        if region == "XX":
            regions[("XX", "")] = "No region"
        else:
            owners = by_code.get(region)
            if not owners:
                sys.exit("Metar station %s: unknown region %s" % (code, region))
            if len(owners) > 1:
                country = ICAO_COUNTRY[code[0]]
                owners = [o for o in owners if o[0] == country]
            assert len(owners) == 1, (code, region)
            regions[(region, owners[0][0])] = owners[0][1]
        # A quoted field cannot hold a double quote.
        name = " ".join(r["name"].replace('"', "'").split())
        if not (-90 <= float(r["lat"]) <= 90 and -180 <= float(r["lon"]) <= 180):
            sys.exit("Metar station %s: position out of range" % code)
        stations.append((code, name, r["lat"], r["lon"], region))
    return stations, regions


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--source", default=os.path.join(PROJECT, "..", "shared", "data"),
                    help="folder of the .tsv extracts (default ../shared/data)")
    ap.add_argument("--out", default=os.path.join(PROJECT, "data"),
                    help="output folder (default data/ of the project)")
    args = ap.parse_args()
    src = lambda name: os.path.join(args.source, name)
    out = lambda name: os.path.join(args.out, name)
    report = []

    countries = build_countries(src("countries.tsv"))
    states = build_states(src("subdivisions-us-ca-au.tsv"))
    beacons = build_beacons(src("ndb-navaids.tsv"), {c for c, _, _ in countries},
                            {(s, c) for s, _, c in states}, report)
    if any(b["CountryCode"] == UNKNOWN_COUNTRY[0] for b in beacons):
        countries.append(UNKNOWN_COUNTRY)
    stations, regions = build_metar(src("metar-stations.tsv"), states)

    write_atomic(out("Country.dat"), b"".join(
        csv_line([to_cp1252(c), to_cp1252(n), to_cp1252(a2)]) for c, n, a2 in countries))
    write_atomic(out("State.dat"), b"".join(
        csv_line([to_cp1252(s), to_cp1252(n), to_cp1252(c)]) for s, n, c in states))
    region_rows = sorted(regions.items(), key=lambda kv: (kv[0][1], kv[0][0]))
    write_atomic(out("region.dat"), b"".join(
        csv_line([to_cp1252(code), to_cp1252(name), to_cp1252(country)])
        for (code, country), name in region_rows))
    # The second field is not read by the program; it stays empty.
    write_atomic(out("Metar.txt"), b"".join(
        csv_line([to_cp1252(code), b"", lat, lon, to_cp1252(name), to_cp1252(region)])
        for code, name, lat, lon, region in stations))
    write_atomic(out("ndb.dat"), b"".join(encode_record(b) for b in beacons))

    for line in report:
        print(line)
    print("Country.dat %d, State.dat %d, region.dat %d, Metar.txt %d, ndb.dat %d records"
          % (len(countries), len(states), len(region_rows), len(stations), len(beacons)))


if __name__ == "__main__":
    main()
