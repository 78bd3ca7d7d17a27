#!/usr/bin/env bash
# Installs what is missing, builds QERN and starts it on the default program folder
# (~/.local/share/qern). Extra arguments go to the program, e.g. --folder DIR.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQERN_BUILD_TESTS=OFF -DQERN_BUILD_BENCH=OFF
cmake --build build --target qern
exec build/src/app/qern "$@"
