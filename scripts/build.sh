#!/usr/bin/env bash
# Configure and build Tessmar (Release) into build/, using both cores.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
