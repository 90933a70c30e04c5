#!/usr/bin/env bash
# Installs what is needed, builds everything with AddressSanitizer and UndefinedBehaviorSanitizer
# (warnings as errors) and runs every test, after a short run of each fuzz target, the Dovecot integration tests included. Ends with CTest's summary.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/installer-dependances.sh
# Each libFuzzer target a few seconds: enough to catch a parser that crashes on its first odd input.
bash scripts/fuzz.sh 5
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DVASKOR_SANITIZE=ON -DVASKOR_WERROR=ON
cmake --build build-test -j"$(nproc)"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-test --output-on-failure -j"$(nproc)"
