#!/usr/bin/env bash
# A batch converted project -> ENU on a Slurm cluster: a job array scans the bounds of each
# part, a job that waits for all of them (--dependency=afterok) merges them into one base
# point, and a second job array, waiting for the merge, converts each part about it, each
# task writing its manifest. Copy this file, set the paths and the counts below (or give them
# in the environment: sbatch passes it on to the jobs), and run it on a login node:
#   bash quorvex-slurm.sh        (it prints the three job ids)
# Slurm runs the same file again as each job, with the step as its argument.
#
# INPUT, COORD, OUTPUT and WORK on shared storage, at the same paths on every node.
#SBATCH --job-name=quorvex
set -euo pipefail
QUORVEX=${QUORVEX:-quorvex}         # the program (on every node's PATH, or a full path)
INPUT=${INPUT:-/shared/tiles}       # the folder of OBJ tiles (or give LIST, below)
LIST=${LIST:-}                      # optional: a file of input paths, relative to INPUT
COORD=${COORD:-/shared/coord.json}  # the coordinate file
OUTPUT=${OUTPUT:-/shared/enu}       # the output folder (it must exist)
WORK=${WORK:-/shared/batch}         # bounds, base point, manifests, logs of this batch
SHARDS=${SHARDS:-50}                # parts of the batch: array tasks 1..SHARDS
CPUS=${CPUS:-8}                     # CPUs per task, and quorvex's threads
SBATCH_OPTIONS=${SBATCH_OPTIONS:-}  # e.g. "--partition=batch --time=02:00:00"

files=()
if [ -n "$LIST" ]; then files=(-filesfrom="$LIST"); fi
step=${1:-submit}
case $step in
  submit)
    mkdir -p "$WORK/bounds" "$WORK/manifests" "$WORK/logs"
    rm -f "$WORK/bounds/"*.json "$WORK/manifests/"*.json
    script=$(realpath "$0")
    common=(--parsable --cpus-per-task="$CPUS" --chdir="$WORK")
    # shellcheck disable=SC2086
    bounds=$(sbatch "${common[@]}" $SBATCH_OPTIONS --array=1-"$SHARDS" \
      --output="$WORK/logs/bounds-%a.log" "$script" bounds)
    # shellcheck disable=SC2086
    merge=$(sbatch "${common[@]}" $SBATCH_OPTIONS --dependency=afterok:"$bounds" \
      --output="$WORK/logs/merge.log" "$script" merge)
    # shellcheck disable=SC2086
    convert=$(sbatch "${common[@]}" $SBATCH_OPTIONS --dependency=afterok:"$merge" \
      --array=1-"$SHARDS" --output="$WORK/logs/convert-%a.log" "$script" convert)
    echo "$bounds $merge $convert"
    ;;
  bounds)
    exec "$QUORVEX" -input="$INPUT" "${files[@]}" -coord="$COORD" -toProj=0 -threads="$CPUS" \
      -shard="$SLURM_ARRAY_TASK_ID/$SHARDS" -boundsonly="$WORK/bounds/$SLURM_ARRAY_TASK_ID.json"
    ;;
  merge)
    exec "$QUORVEX" -coord="$COORD" -toProj=0 -mergebounds="$WORK/bounds" -base="$WORK/base.txt"
    ;;
  convert)
    # The base file holds ENU:LAT,LON; -inputbase takes LON,LAT.
    base=$(cat "$WORK/base.txt")
    base=${base#ENU:}
    exec "$QUORVEX" -input="$INPUT" "${files[@]}" -coord="$COORD" -output="$OUTPUT" \
      -toProj=0 -threads="$CPUS" -shard="$SLURM_ARRAY_TASK_ID/$SHARDS" \
      -inputbase="ENU:${base#*,},${base%,*}" \
      -manifest="$WORK/manifests/$SLURM_ARRAY_TASK_ID.json"
    ;;
  *)
    echo "usage: $0 [submit|bounds|merge|convert]" >&2
    exit 2
    ;;
esac
