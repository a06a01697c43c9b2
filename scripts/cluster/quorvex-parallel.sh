#!/usr/bin/env bash
# A batch converted project -> ENU by SHARDS processes with GNU parallel, JOBS at a time (on
# this machine, or on the hosts of --sshloginfile): the bounds of each part, their merge into
# one base point, then each part converted about it, each writing its manifest. Copy this
# file and set the paths and the counts below (or give them in the environment).
#
# On every host the same paths: INPUT, COORD, OUTPUT and WORK on shared storage.
set -euo pipefail
QUORVEX=${QUORVEX:-quorvex}         # the program (on every host's PATH, or a full path)
INPUT=${INPUT:-/shared/tiles}       # the folder of OBJ tiles (or give LIST, below)
LIST=${LIST:-}                      # optional: a file of input paths, relative to INPUT
COORD=${COORD:-/shared/coord.json}  # the coordinate file
OUTPUT=${OUTPUT:-/shared/enu}       # the output folder (it must exist)
WORK=${WORK:-/shared/batch}         # bounds, base point, manifests, logs of this batch
SHARDS=${SHARDS:-50}                # parts of the batch
JOBS=${JOBS:-8}                     # processes at a time (per host with --sshloginfile)
THREADS=${THREADS:-0}               # threads per process: 0 = the host's hardware threads
SSH=${SSH:-}                        # e.g. "--sshloginfile hosts.txt" for remote hosts

files=()
if [ -n "$LIST" ]; then files=(-filesfrom="$LIST"); fi
mkdir -p "$WORK/bounds" "$WORK/manifests"
rm -f "$WORK/bounds/"*.json "$WORK/manifests/"*.json

# 1. Each part scans its files for the bounds of their vertices (nothing converted).
# shellcheck disable=SC2086
seq 1 "$SHARDS" | parallel -q $SSH -j "$JOBS" --halt now,fail=1 \
  "$QUORVEX" -input="$INPUT" "${files[@]}" -coord="$COORD" -toProj=0 -threads="$THREADS" \
  -shard={}/"$SHARDS" -boundsonly="$WORK/bounds/{}.json"
# 2. One base point from all parts: the bytes -baseonly=1 over every file writes.
"$QUORVEX" -coord="$COORD" -toProj=0 -mergebounds="$WORK/bounds" -base="$WORK/base.txt"
# 3. Each part converted about it (the base file holds ENU:LAT,LON, -inputbase takes LON,LAT).
base=$(cat "$WORK/base.txt")
base=${base#ENU:}
inputbase="ENU:${base#*,},${base%,*}"
# shellcheck disable=SC2086
seq 1 "$SHARDS" | parallel -q $SSH -j "$JOBS" --halt now,fail=1 \
  "$QUORVEX" -input="$INPUT" "${files[@]}" -coord="$COORD" -output="$OUTPUT" -toProj=0 \
  -threads="$THREADS" -shard={}/"$SHARDS" -inputbase="$inputbase" \
  -manifest="$WORK/manifests/{}.json"
