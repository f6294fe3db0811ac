#!/usr/bin/env bash
# Installs, with apt-get, whatever Quobrix needs to build, run and test that
# is not on this machine yet. Safe to run again: present packages are skipped.
#   scripts/install-deps.sh           what make run and make test need
#   scripts/install-deps.sh --bench   also what the benchmarks need
#                                     (bench/desktop/run-bench.sh,
#                                     bench/https/run-bench.sh)
set -euo pipefail

bench=0
for arg in "$@"; do
  case "$arg" in
    --bench) bench=1 ;;
    *) echo "usage: $0 [--bench]" >&2; exit 2 ;;
  esac
done

packages=(
  cmake
  g++
  make
  ninja-build
  pkg-config
  libgtest-dev
  libgmock-dev
  libbenchmark-dev
  libcli11-dev
  libssl-dev
  qt6-base-dev
  qt6-webengine-dev
  qt6-svg-dev
  libqt6svg6
  xvfb
  xauth
  clang
  libclang-rt-14-dev
  clang-tidy-14
  chromium
)
# The benchmark serves its site with nginx and presses keys through the X
# server's test extension.
if [ "$bench" -eq 1 ]; then
  packages+=(nginx-light libxtst-dev)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'ok installed'; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# A newly installed nginx would start as a system service on port 80: a
# policy-rc.d that refuses every start keeps it from that while apt-get runs
# (the benchmark starts its own nginx on a free loopback port).
policy=/usr/sbin/policy-rc.d
if [[ " ${missing[*]} " == *" nginx-light "* ]] && [ ! -e "$policy" ]; then
  $sudo sh -c "printf '#!/bin/sh\nexit 101\n' > $policy && chmod 755 $policy"
  trap '$sudo rm -f "$policy"' EXIT
fi
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
