#!/usr/bin/env python3
"""Writes epsg_projinfo.txt: PROJ's own definition of every EPSG code of the table in
geodesy/standard_frames.cpp, as one-line WKT 1 (projinfo -o WKT1_GDAL --single-line -q).

Run from this folder:  python3 make_epsg_reference.py
Needs /usr/bin/projinfo (Debian package proj-bin; the committed file was made with PROJ
9.1.1). Columns: the code, then PROJ's WKT of it.
"""
import subprocess

# The code runs, as the EPSG registry numbers them (first code, count).
RUNS = [
    (4491, 11), (4502, 11), (4513, 21), (4534, 21),    # CGCS2000 6 and 3 degree
    (2327, 11), (2338, 11), (2349, 21), (2370, 21),    # Xian 1980
    (21413, 11), (21473, 11), (2401, 21), (2422, 21),  # Beijing 1954
    (32601, 60), (32701, 60),                          # WGS 84 / UTM north and south
]

with open("epsg_projinfo.txt", "w") as out:
    out.write("# projinfo -o WKT1_GDAL --single-line -q EPSG:CODE (PROJ 9.1.1)\n")
    out.write("# Columns: code | WKT\n")
    for first, count in RUNS:
        for code in range(first, first + count):
            wkt = subprocess.run(["projinfo", "-o", "WKT1_GDAL", "--single-line", "-q",
                                  f"EPSG:{code}"], capture_output=True, text=True,
                                 check=True).stdout.strip()
            out.write(f"{code} {wkt}\n")
