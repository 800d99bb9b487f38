#!/usr/bin/env bash
# Installs the Debian packages Packwatch needs to build and test, when any is missing.
set -euo pipefail

packages=(build-essential cmake ninja-build pkg-config binutils libgtest-dev libgmock-dev libbenchmark-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
