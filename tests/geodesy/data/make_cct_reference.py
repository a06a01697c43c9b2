#!/usr/bin/env python3
"""Writes the PROJ `cct` reference values of tests/geodesy/*_test.cpp.

Run from this folder:  python3 make_cct_reference.py
Needs /usr/bin/cct (Debian package proj-bin; the committed files were made with PROJ 9.1.1).
Every block of every file starts with a comment holding the exact cct command that produced
it; data lines are the cct input followed by the cct output (the trailing time column
dropped).
"""
import subprocess

# name, a (m), inverse flattening as PROJ gets it (+rf), or flattening (+f) for the EnuOrigin.
ELLIPSOIDS = {
    "CGCS2000": ("6378137", "+rf=298.257222101"),
    "XIAN80": ("6378140", "+rf=298.257"),
    "BJ54": ("6378245", "+rf=298.3"),
    "WGS84": ("6378137", "+rf=298.257223563"),
}
# The EnuOrigin record's own ellipsoid: a and f as stored (f one ulp above WGS84's).
ORIGIN_ELLIPSOID = "+a=6378137 +f=0.003352810664747481"


def cct(args, lines):
    cmd = ["cct"] + args
    out = subprocess.run(cmd, input="\n".join(lines) + "\n", capture_output=True, text=True,
                         check=True).stdout.split("\n")
    rows = [line.split()[:3] for line in out if line.strip()]
    assert len(rows) == len(lines), (cmd, len(rows), len(lines))
    return "cct " + " ".join(args), rows


def write(path, header, blocks):
    with open(path, "w") as f:
        f.write(header)
        for command, tag, inputs, rows in blocks:
            f.write("# " + command + "\n")
            for inp, row in zip(inputs, rows):
                f.write(" ".join([tag, inp] + row) + "\n")


def tmerc():
    # Projections: ellipsoid, a override (surface-enlarged axis, same flattening) or None,
    # lon_0, lat_0, x_0, y_0, latitudes.
    configs = [
        ("CGCS2000", None, 117, 0, 500000, 0, [18, 22.5, 26, 30, 34.7, 38, 42, 46, 50]),
        ("CGCS2000", None, 75, 0, 500000, 0, [30, 38, 46]),
        ("XIAN80", None, 120, 0, 500000, 0, [18, 26, 34.7, 42, 50]),
        ("BJ54", None, 102, 0, 500000, 0, [22.5, 30, 38, 46]),
        ("WGS84", None, 135, 0, 500000, 0, [-35, 20, 33, 48]),
        # Origin latitude and false northing (a local project grid).
        ("CGCS2000", None, 114.5, 22.3, 80000, 30000, [18, 22.3, 26, 30]),
        ("XIAN80", None, 108.75, 34.2, 50000, -20000, [30, 34.2, 38]),
        # Projection surface 350 m above CGCS2000: a′ = a + 350/sqrt(1 − e²).
        ("CGCS2000", "6378488.177431443", 117, 0, 500000, 0, [22.5, 30, 38]),
        # High latitudes, where the meridian arc series (to e⁶) is farthest off: a northern
        # 3-degree zone on Krassovsky and a southern one on WGS84.
        ("BJ54", None, 39, 0, 500000, 0, [60, 65, 70, 75, 80]),
        ("WGS84", None, -69, 0, 500000, 0, [-62.5, -72.5, -78]),
    ]
    offsets = [0, 0.25, -0.25, 0.75, -0.75, 1.25, -1.25, 1.75, -1.75, 2.25, -2.25, 2.75,
               -2.75, 3.0, -3.0]
    blocks = []
    for name, a_override, lon0, lat0, x0, y0, lats in configs:
        a, flat = ELLIPSOIDS[name]
        if a_override:
            a = a_override
        args = ["-d", "9", "+proj=tmerc", "+algo=poder_engsager", f"+lon_0={lon0}",
                f"+lat_0={lat0}", "+k_0=1", f"+x_0={x0}", f"+y_0={y0}", f"+a={a}", flat]
        inputs = [f"{lon0 + d!r} {lat!r}" for lat in lats for d in offsets]
        command, rows = cct(args, [i + " 0 0" for i in inputs])
        tag = f"{a} {flat.split('=')[1]} {lon0} {lat0} {x0} {y0}"
        blocks.append((command, tag, inputs, [r[:2] for r in rows]))
    write("tmerc_cct.txt",
          "# Exact transverse Mercator (Poder/Engsager) of PROJ against the Gauss-Krüger series.\n"
          "# Columns: a(m) rf lon_0 lat_0 x_0 y_0 | lon(deg) lat(deg) | easting(m) northing(m)\n",
          blocks)


def tmerc_far():
    # Beyond 3° from the central meridian, where the series' error grows with the sixth power
    # of Δλ and more: the table of geodesy/gauss_kruger_accuracy.h beyond 3°.
    configs = [("CGCS2000", 117), ("BJ54", 39), ("WGS84", -69)]
    offsets = [3.25, 3.5, 3.75, 4.0, 4.5, 5.0, 5.5, 6.0, 6.5, 7.0, 7.5, 8.0, 9.0, 10.0]
    lats = [0, 10, 20, 30, 40, 50, 60, 70, 80]
    blocks = []
    for name, lon0 in configs:
        a, flat = ELLIPSOIDS[name]
        args = ["-d", "9", "+proj=tmerc", "+algo=poder_engsager", f"+lon_0={lon0}", "+lat_0=0",
                "+k_0=1", "+x_0=500000", "+y_0=0", f"+a={a}", flat]
        inputs = [f"{lon0 + sign * d!r} {lat!r}" for lat in lats for d in offsets
                  for sign in (1, -1)]
        command, rows = cct(args, [i + " 0 0" for i in inputs])
        tag = f"{a} {flat.split('=')[1]} {lon0} 0 500000 0"
        blocks.append((command, tag, inputs, [r[:2] for r in rows]))
    write("tmerc_far_cct.txt",
          "# Exact transverse Mercator (Poder/Engsager) 3°..10° from the central meridian.\n"
          "# Columns: a(m) rf lon_0 lat_0 x_0 y_0 | lon(deg) lat(deg) | easting(m) northing(m)\n",
          blocks)


def cart():
    points = ["117 30 0", "118.5 31 100", "75.3 46.2 2500", "134.9 18.1 -50", "102 0 10",
              "-45 -60 8000", "0 89.5 0", "179.9 -10 300"]
    blocks = []
    for name, (a, flat) in list(ELLIPSOIDS.items()) + [("origin", ("6378137",
                                                       "+f=0.003352810664747481"))]:
        args = ["-d", "9", "+proj=cart", f"+a={a}", flat]
        command, rows = cct(args, [p + " 0" for p in points])
        blocks.append((command, f"{a} {flat}", points, rows))
    write("cart_cct.txt",
          "# Geodetic -> Earth-centred. Columns: a(m) +rf=|+f= | lon lat h | X Y Z (m)\n", blocks)


def topocentric():
    origins = [("117", "30", "0"), ("75.5", "46", "1200"), ("121.47", "31.23", "-15")]
    offsets = [(0, 0, 0), (0, 0.0009, 0), (0.01, 0.01, 100), (-0.03, 0.02, -40),
               (0.2, -0.15, 2500), (-0.5, 0.4, 30)]
    blocks = []
    for lon0, lat0, h0 in origins:
        topo = ["+proj=topocentric", f"+lon_0={lon0}", f"+lat_0={lat0}", f"+h_0={h0}"]
        args = ["-d", "9", "+proj=pipeline", "+step", "+proj=cart", *ORIGIN_ELLIPSOID.split(),
                "+step", *topo, *ORIGIN_ELLIPSOID.split()]
        inputs = [f"{float(lon0) + dl!r} {float(lat0) + dp!r} {float(h0) + dh!r}"
                  for dl, dp, dh in offsets]
        command, rows = cct(args, [i + " 0" for i in inputs])
        blocks.append((command, f"{lon0} {lat0} {h0}", inputs, rows))
    write("topocentric_cct.txt",
          "# Geodetic -> ENU about an origin, on the EnuOrigin ellipsoid (a 6378137,\n"
          "# f 0.003352810664747481). Columns: lon_0 lat_0 h_0 | lon lat h | east north up (m)\n",
          blocks)


def helmert():
    params = [
        "+x=0 +y=0 +z=0 +rx=0 +ry=0 +rz=1 +s=0",
        "+x=-24.5 +y=130.2 +z=92.7 +rx=0 +ry=0 +rz=0 +s=0",
        "+x=15.8 +y=-110.4 +z=-81.2 +rx=0.35 +ry=-2.6 +rz=1.9 +s=-3.4",
        "+x=-1200 +y=800 +z=450 +rx=45 +ry=-60 +rz=90 +s=25",
    ]
    points = ["4000000 0 5000000", "-2509815.311 4925789.896 3170423.735",
              "-2176034.5 4386432.1 4070291.3", "1330114.2 5652001.8 2296145.0"]
    blocks = []
    for p in params:
        args = ["-d", "9", "+proj=helmert", "+convention=coordinate_frame", "+exact", *p.split()]
        command, rows = cct(args, [q + " 0" for q in points])
        tag = " ".join(kv.split("=")[1] for kv in p.split())
        blocks.append((command, tag, points, rows))
    write("helmert_cct.txt",
          "# Seven parameters on Earth-centred points, coordinate frame rotation, exact matrix.\n"
          "# Columns: x y z (m) rx ry rz (arc-second) s (ppm) | X Y Z | X' Y' Z' (m)\n", blocks)


def ellipsoid_change():
    pairs = [("BJ54", "CGCS2000"), ("XIAN80", "CGCS2000"), ("CGCS2000", "WGS84"),
             ("WGS84", "BJ54")]
    points = ["117 30 0", "118.5 31 100", "102.2 22.7 1500", "128.9 49.6 -20", "90 0.0005 50"]
    blocks = []
    for src, dst in pairs:
        (a1, f1), (a2, f2) = ELLIPSOIDS[src], ELLIPSOIDS[dst]
        args = ["-d", "12", "+proj=pipeline", "+step", "+proj=cart", f"+a={a1}", f1,
                "+step", "+inv", "+proj=cart", f"+a={a2}", f2]
        command, rows = cct(args, [q + " 0" for q in points])
        blocks.append((command, f"{src} {dst}", points, rows))
    write("ellipsoid_change_cct.txt",
          "# The same point described on another ellipsoid, through Earth-centred coordinates.\n"
          "# Columns: from to | lon lat h | lon lat h (deg, deg, m)\n", blocks)


def chain():
    # A definition on BJ54 whose projection runs on CGCS2000 (ellipsoidconv BJ54 -> CGCS2000),
    # with a seven-parameter conversion and a projection surface 200 m up, about the origin
    # (117.2°, 31.1°, 50 m) on the EnuOrigin ellipsoid. Project frame -> ENU, step by step:
    # inverse projection on the enlarged CGCS2000, Earth-centred on CGCS2000, seven parameters
    # inverted, geodetic on BJ54 (the ellipsoid change), Earth-centred on the origin ellipsoid,
    # topocentric. Points stay within 1° of the central meridian, where the series and the
    # exact projection agree to micrometres.
    a_surface = "6378337.672817968"  # 6378137 + 200/sqrt(1 − e²), CGCS2000
    helmert = ("+x=-12.5 +y=85.3 +z=40.1 +rx=1.2 +ry=-0.8 +rz=2.5 +s=3.1")
    args = ["-d", "9", "+proj=pipeline",
            "+step", "+inv", "+proj=tmerc", "+algo=poder_engsager", "+lon_0=117", "+lat_0=0",
            "+k_0=1", "+x_0=500000", "+y_0=0", f"+a={a_surface}", "+rf=298.257222101",
            "+step", "+proj=cart", "+a=6378137", "+rf=298.257222101",
            "+step", "+inv", "+proj=helmert", "+convention=coordinate_frame", "+exact",
            *helmert.split(),
            "+step", "+inv", "+proj=cart", "+a=6378245", "+rf=298.3",
            "+step", "+proj=cart", *ORIGIN_ELLIPSOID.split(),
            "+step", "+proj=topocentric", "+lon_0=117.2", "+lat_0=31.1", "+h_0=50",
            *ORIGIN_ELLIPSOID.split()]
    points = ["500000 3320113.398 0", "519230.5 3441876.25 48.2", "478912.75 3452001.5 312.9",
              "556004.125 3398765.0 -12.4", "443120.0 3502345.75 1500.0",
              "588000.5 3471000.25 75.0"]
    command, rows = cct(args, [q + " 0" for q in points])
    write("chain_cct.txt",
          "# Project frame -> ENU through a whole definition chain (see make_cct_reference.py).\n"
          "# Columns: tag | easting northing height (m) | east north up (m)\n",
          [(command, "bj54-cgcs2000", points, rows)])


def frame():
    # Plain Gauss-Krüger definitions on Krassovsky (BJ54) and on the Xian 1980 ellipsoid, with
    # no ellipsoid change: their geodetic coordinates end on their own ellipsoid, and so does
    # the ENU frame (cart and topocentric on it). Central meridian 117°, origin near
    # (117.05°, 30.02°, 20 m); points over a 10 km square around it and 1.5 km up and down.
    points = ["504820.5 3321540.25 20.0", "499990.0 3316530.0 0.0",
              "509810.75 3326560.5 35.5", "499995.25 3326555.75 1520.0",
              "509805.5 3316525.0 -1480.0", "505000.0 3321500.0 20.0"]
    blocks = []
    for name in ("BJ54", "XIAN80"):
        a, rf = ELLIPSOIDS[name]
        ellps = [f"+a={a}", rf]
        args = ["-d", "9", "+proj=pipeline",
                "+step", "+inv", "+proj=tmerc", "+algo=poder_engsager", "+lon_0=117",
                "+lat_0=0", "+k_0=1", "+x_0=500000", "+y_0=0", *ellps,
                "+step", "+proj=cart", *ellps,
                "+step", "+proj=topocentric", "+lon_0=117.05", "+lat_0=30.02", "+h_0=20",
                *ellps]
        command, rows = cct(args, [q + " 0" for q in points])
        blocks.append((command, name, points, rows))
    write("frame_cct.txt",
          "# Project frame -> ENU on the definition's own ellipsoid (see make_cct_reference.py).\n"
          "# Columns: ellipsoid | easting northing height (m) | east north up (m)\n", blocks)


if __name__ == "__main__":
    tmerc()
    tmerc_far()
    cart()
    topocentric()
    helmert()
    ellipsoid_change()
    chain()
    frame()
