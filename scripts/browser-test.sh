#!/usr/bin/env bash
# Renders the fit report of the control-point sample in headless Chromium (Debian's
# `chromium`, installed here when missing) and checks that a page was drawn: a PNG of the
# window's size whose pixels are not all alike. Kept out of `make test` (Chromium is large);
# run it with `make browser-test`. Usage: scripts/browser-test.sh PATH/TO/quorvex
set -euo pipefail
bin=$(realpath "$1")
cd "$(dirname "$0")/.."
if ! command -v chromium >/dev/null; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends chromium
fi
out=out/browser
rm -rf "$out" && mkdir -p "$out/site"
"$bin" -input=data/tiles -coord=data/coord-control-site.json -output="$out/site" -toProj=0 \
  -report="$out/report.html" >/dev/null 2>&1
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$(mktemp -d)" --window-size=1100,1900 \
  --screenshot="$out/report.png" "file://$(realpath "$out/report.html")" >/dev/null 2>&1
python3 - "$out/report.png" <<'PY'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
width, height = struct.unpack(">II", data[16:24])
idat, pos = b"", 8
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    if kind == b"IDAT":
        idat += data[pos + 8:pos + 8 + length]
    pos += 12 + length
pixels = zlib.decompress(idat)
# Rows are filtered against their neighbours: a blank page leaves nearly all bytes zero.
busy = sum(1 for b in pixels if b) / len(pixels)
print(f"report.png: {width}x{height}, {len(data)} bytes, {busy:.1%} non-zero filtered bytes")
assert (width, height) == (1100, 1900), "unexpected size"
assert busy > 0.01, "the page looks blank"
PY
echo "browser-test: 1 passed, 0 failed ($out/report.png)"
