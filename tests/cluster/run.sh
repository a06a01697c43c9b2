#!/usr/bin/env bash
# make cluster-test: 500 tiles (cut from the bench tile) converted project -> ENU in 4 parts by
# the user's scripts (scripts/cluster/) on GNU parallel, two at a time, and on a one-node Slurm
# cluster started here (as root) in a temporary folder, each checked against one process; and
# a part killed by SIGTERM in the middle of a file, then run again (README, "Large batches").
# Usage: tests/cluster/run.sh BUILD_DIR   (BUILD_DIR holds quorvex and make_tile)
set -euo pipefail
build=$(realpath "$1")
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
quorvex=$build/quorvex
scratch=$(mktemp -d /tmp/quorvex-cluster.XXXXXX)
chmod 755 "$scratch"  # munged wants its socket's folders open to all
daemons=()
cleanup() {
  local pid
  for pid in "${daemons[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${daemons[@]}"; do  # 5 s each to stop, then SIGKILL
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null && sleep 0.1; done
    kill -KILL "$pid" 2>/dev/null || true
  done
  rm -rf "$scratch"
}
trap cleanup EXIT
trap 'exit 130' INT && trap 'exit 143' TERM

passed=0 failed=0
# check NAME COMMAND...: one check, counted and named.
check() {
  local name=$1 && shift && last=failed
  if ! "$@"; then failed=$((failed + 1)) && echo "FAILED: $name" && return; fi
  passed=$((passed + 1)) last=ok
}

# The batch: the 1M-vertex bench tile cut into 500 tiles, and one process's run over it.
vertices=1000000
"$build/make_tile" "$scratch/tile.obj" "$vertices"
bash "$source_dir/bench/cut_tiles.sh" "$scratch/tile.obj" "$scratch/tiles" 500 "$vertices"
rm "$scratch/tile.obj"
coord=$source_dir/data/coord-gauss117.json
mkdir -p "$scratch/one/out"
"$quorvex" -input="$scratch/tiles" -coord="$coord" -toProj=0 -baseonly=1 \
  -base="$scratch/one/baseonly.txt" >/dev/null
"$quorvex" -input="$scratch/tiles" -coord="$coord" -output="$scratch/one/out" -toProj=0 \
  -base="$scratch/one/base.txt" >/dev/null 2>&1
check "one process: the converting run's base file is that of -baseonly=1" \
  cmp -s "$scratch/one/base.txt" "$scratch/one/baseonly.txt"

# manifests_name_each_file_once DIR: the files of DIR's manifests are the 500 tiles, each once,
# written, with the SHA-256 of its output.
manifests_name_each_file_once() {
  local files
  files=$(jq -s '[.[].files[]]' "$1"/manifests/*.json)
  [ "$(jq '[.[].input] | unique | length' <<<"$files")" = 500 ] &&
    [ "$(jq 'length' <<<"$files")" = 500 ] &&
    [ "$(jq '[.[] | select(.status != "written")] | length' <<<"$files")" = 0 ] &&
    jq -r '.[] | "\(.outputSha256)  \(.output)"' <<<"$files" | sha256sum --quiet -c -
}

# verify NAME DIR: the batch run by an engine in DIR (base.txt, out/, manifests/).
verify() {
  check "$1: the merged base file is that of -baseonly=1" \
    cmp -s "$2/base.txt" "$scratch/one/baseonly.txt"
  check "$1: every output is one process's" diff -r -q "$2/out" "$scratch/one/out"
  check "$1: the manifests name each file once with its output's SHA-256" \
    manifests_name_each_file_once "$2"
}

# run_batch DIR SCRIPT: the user's script with this batch's paths; 4 parts, 2 at a time.
run_batch() {
  mkdir -p "$1/out"
  QUORVEX=$quorvex INPUT=$scratch/tiles COORD=$coord OUTPUT=$1/out WORK=$1 SHARDS=4 JOBS=2 \
    THREADS=1 CPUS=1 bash "$source_dir/scripts/cluster/$2" >"$1/script.log" 2>&1
}

# GNU parallel.
check "GNU parallel: the script runs" run_batch "$scratch/parallel" quorvex-parallel.sh
verify "GNU parallel" "$scratch/parallel"

# A part killed in the middle of its big file (the last tile holds the vt and f lines of the
# whole tile, 100 MB): its outputs made old first, so that a replaced one shows.
killed_part_keeps_old_outputs() {
  local dir=$scratch/parallel manifest flags outputs output big pid rchar status=0
  manifest=$(grep -l 't499.obj' "$dir"/manifests/*.json)
  mapfile -t flags < <(jq -r '.flags | to_entries[] | "-\(.key)=\(.value)"' "$manifest")
  mapfile -t outputs < <(jq -r '.files[].output' "$manifest")
  big=$(jq -r '.files[] | select(.input | endswith("t499.obj")) | .output' "$manifest")
  for output in "${outputs[@]}"; do echo old >"$output"; done
  QUORVEX_LANES=off "$quorvex" "${flags[@]}" >/dev/null 2>&1 &
  pid=$!
  # Killed once it has read 30 MB: the parts are cut by bytes, so the big tile is a part alone.
  while kill -0 "$pid" 2>/dev/null; do
    read -r _ rchar < <(grep '^rchar:' "/proc/$pid/io" 2>/dev/null || echo "rchar: 0")
    if [ "${rchar:-0}" -gt 30000000 ]; then kill -TERM "$pid"; break; fi
    sleep 0.01
  done
  wait "$pid" || status=$?
  [ "$status" = 143 ] || { echo "the part ended with status $status, not by SIGTERM"; return 1; }
  # The 500 outputs and the frame written beside them, and no temporary file.
  [ "$(grep -c . <<<"$(find "$dir/out" -type f)")" = 501 ] && [ -f "$dir/out/metadata.xml" ] ||
    { echo "files other than the 500 outputs and metadata.xml:"; find "$dir/out" -name '.*';
      return 1; }
  [ "$(cat "$big")" = old ] || { echo "the big tile's output was replaced"; return 1; }
  # The re-run with the manifest's flags completes the batch.
  "$quorvex" "${flags[@]}" >/dev/null 2>&1 && diff -r -q "$dir/out" "$scratch/one/out" &&
    manifests_name_each_file_once "$dir"
}
check "a part killed by SIGTERM keeps its old outputs, and its re-run completes the batch" \
  killed_part_keeps_old_outputs

# Slurm: munged, slurmctld and slurmd of a one-node cluster in $scratch/slurm.
start_slurm() {
  local s=$scratch/slurm host port
  mkdir -p "$s/key" "$s/socket" "$s/state" "$s/spool" "$s/log"
  chmod 700 "$s/key"
  chmod 755 "$s" "$s/socket"
  head -c 1024 /dev/urandom >"$s/key/munge.key"
  chmod 400 "$s/key/munge.key"
  munged -F --key-file="$s/key/munge.key" --socket="$s/socket/munge.sock" \
    --pid-file="$s/key/munged.pid" --log-file="$s/log/munged.log" \
    --seed-file="$s/key/munged.seed" >"$s/log/munged.out" 2>&1 &
  daemons+=($!)
  for _ in $(seq 50); do [ -S "$s/socket/munge.sock" ] && break; sleep 0.1; done
  host=$(hostname -s)
  port=$((20000 + RANDOM % 20000))
  cat >"$s/slurm.conf" <<CONF
ClusterName=quorvextest
SlurmctldHost=$host
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
AuthInfo=socket=$s/socket/munge.sock
StateSaveLocation=$s/state
SlurmdSpoolDir=$s/spool
SlurmctldPidFile=$s/slurmctld.pid
SlurmdPidFile=$s/slurmd.pid
SlurmctldLogFile=$s/log/slurmctld.log
SlurmdLogFile=$s/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
SelectType=select/cons_tres
SelectTypeParameters=CR_CPU
AccountingStorageType=accounting_storage/none
ReturnToService=2
$(slurmd -C | head -n 1)
PartitionName=batch Nodes=$host Default=YES MaxTime=INFINITE State=UP
CONF
  export SLURM_CONF=$s/slurm.conf
  slurmctld -D -f "$SLURM_CONF" >"$s/log/slurmctld.out" 2>&1 &
  daemons+=($!)
  slurmd -D -f "$SLURM_CONF" >"$s/log/slurmd.out" 2>&1 &
  daemons+=($!)
  for _ in $(seq 100); do
    [ "$(sinfo -h -o %t 2>/dev/null)" = idle ] && return 0
    sleep 0.2
  done
  echo "the node did not come up:"
  tail -n 20 "$s"/log/*
  return 1
}

# run_slurm_batch DIR: the user's script submits the three jobs; all must complete.
run_slurm_batch() {
  local jobs job
  run_batch "$1" quorvex-slurm.sh || { cat "$1/script.log"; return 1; }
  read -ra jobs <"$1/script.log"
  for _ in $(seq 900); do
    [ -z "$(squeue -h -j "$(IFS=,; echo "${jobs[*]}")" 2>/dev/null)" ] && break
    sleep 0.2
  done
  for job in "${jobs[@]}"; do
    # Every task of the job (an array has one line each).
    if [ "$(scontrol -o show job "$job" | grep -o 'JobState=[A-Z_]*' | sort -u)" != \
      JobState=COMPLETED ]; then
      scontrol -o show job "$job"
      cat "$1"/logs/*.log
      return 1
    fi
  done
}

if [ "$(id -u)" -ne 0 ]; then
  echo "Slurm: skipped (its daemons run as root here; run as root)"
else
  check "Slurm: the one-node cluster starts" start_slurm
  if [ "$last" = ok ]; then
    check "Slurm: the three jobs (bounds array, merge after it, conversion array) complete" \
      run_slurm_batch "$scratch/slurm"
    verify "Slurm" "$scratch/slurm"
  fi
fi

echo "cluster-test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
