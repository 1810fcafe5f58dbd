#!/usr/bin/env bash
# Build Tessmar and run every test (unit, physics, files, examples).
# With --sanitize, build a separate AddressSanitizer + UBSan tree in
# build-asan/ and run the unit tests there as well.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/build.sh
ctest --test-dir build --output-on-failure -j2

if [ "${1:-}" = "--sanitize" ]; then
  cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTESSMAR_SANITIZE=ON \
    -DTESSMAR_BENCH=OFF >/dev/null
  cmake --build build-asan -j2
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    LSAN_OPTIONS=suppressions="$PWD/scripts/lsan.supp" \
    ctest --test-dir build-asan --output-on-failure -j2 -L unit
fi
