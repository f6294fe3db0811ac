#!/usr/bin/env bash
# Installs, with apt-get, whatever Quobrix needs to build, run and test that
# is not on this machine yet. Safe to run again: present packages are skipped.
set -euo pipefail

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
  qt6-base-dev
  qt6-webengine-dev
  qt6-svg-dev
  libqt6svg6
  xvfb
  xauth
  clang
  libclang-rt-14-dev
  chromium
)

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
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
