#!/usr/bin/env bash
# Install the Debian 12 packages Tessmar needs to build and test.
# Idempotent and non-interactive: packages already present are not fetched again.
set -euo pipefail

packages=(
  g++ cmake ninja-build pkg-config git
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev libtomlplusplus-dev
  libcairo2-dev libjpeg-dev fonts-liberation
  qt6-base-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all ${#packages[@]} packages present"
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
