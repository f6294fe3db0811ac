#!/usr/bin/env bash
# Builds quobrix_core with clang's thread-safety analysis: a lock rule that
# the code breaks (a guarded member used without its lock, a *Locked
# function called without the lock, locks taken out of order) fails the build.
#   scripts/thread-safety.sh
set -euo pipefail
cd "$(dirname "$0")/.."

CC=clang CXX=clang++ cmake -S . -B build-thread-safety -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUOBRIX_CORE_ONLY=ON -DQUOBRIX_BUILD_TESTS=OFF -DQUOBRIX_BUILD_BENCH=OFF \
  -DQUOBRIX_THREAD_SAFETY=ON -DQUOBRIX_WERROR=ON >/dev/null
cmake --build build-thread-safety --target quobrix_core
