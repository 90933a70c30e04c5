#!/usr/bin/env bash
# Installs what is needed, builds Vaskor and starts the desktop application.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/installer-dependances.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVASKOR_TESTS=OFF
cmake --build build -j"$(nproc)" --target vaskor vaskor-cli
exec ./build/src/app/vaskor
