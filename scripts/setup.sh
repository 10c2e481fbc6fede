#!/usr/bin/env bash
# Installs the prerequisites that are missing on a Debian or Ubuntu machine:
# a C++17 compiler, CMake, Python 3 with matplotlib (for plot-results) and,
# with --tests, GoogleTest. Uses sudo when not root.
set -euo pipefail

packages=(cmake g++ make python3 python3-matplotlib)
if [ "${1:-}" = "--tests" ]; then packages+=(libgtest-dev); fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" > /dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

if ! command -v apt-get > /dev/null 2>&1; then
  echo "setup: please install ${missing[*]} (no apt-get on this machine)" >&2
  exit 1
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "setup: installing ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" > /dev/null
