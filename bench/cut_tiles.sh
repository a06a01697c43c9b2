#!/usr/bin/env bash
# Cuts an OBJ tile into COUNT files, as a photogrammetry delivery of many small tiles: each
# file takes the next VERTICES/COUNT `v` lines, and every other line goes to the file of the
# vertices before it (so the `vt` and `f` lines after the last vertex go to the last file).
# Written to FOLDER.part and renamed to FOLDER when complete; a FOLDER that exists is kept.
#
# Usage: bench/cut_tiles.sh TILE FOLDER COUNT VERTICES
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: $0 TILE FOLDER COUNT VERTICES" >&2
  exit 2
fi
tile=$1 folder=$2 count=$3 vertices=$4
if [ -d "$folder" ]; then exit 0; fi
rm -rf "$folder.part"
mkdir -p "$folder.part"
awk -v dir="$folder.part" -v per=$((vertices / count)) -v last=$((count - 1)) '$1 == "v" { n++ }
  { f = int((n > 0 ? n - 1 : 0) / per); if (f > last) f = last
    print > sprintf("%s/t%03d.obj", dir, f) }' "$tile"
mv "$folder.part" "$folder"
