#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the benchmarks need, every tool the
# tests call included: file (CPack's DEB generator runs it), groff (the manual page), parallel
# (the README's batch example and make cluster-test, with slurm-wlm, munge and jq), bsdutils'
# script (a terminal for the progress line and the bash completion), proj-bin's cct (the
# benchmarks). A no-op when every package is already
# present; otherwise needs root (apt-get).
set -euo pipefail
packages=(build-essential cmake libgflags-dev rapidjson-dev libgeos-dev libeigen3-dev
          libgtest-dev libpugixml-dev proj-bin clang libclang-rt-dev dpkg-dev groff-base parallel
          file bsdutils slurm-wlm munge jq)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
