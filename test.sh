#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every
# test in parallel; then runs the core tests again under AddressSanitizer.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
jobs=$(nproc)

cmake -S . -B build-ci -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQERN_WERROR=ON
cmake --build build-ci -j "$jobs"
QT_QPA_PLATFORM=offscreen ctest --test-dir build-ci -j "$jobs" --output-on-failure --timeout 300

cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQERN_WERROR=ON -DQERN_ASAN=ON \
  -DQERN_BUILD_UI=OFF -DQERN_BUILD_BENCH=OFF
cmake --build build-asan -j "$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan -j "$jobs" --output-on-failure --timeout 300
