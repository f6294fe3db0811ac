#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer and
# UndefinedBehaviorSanitizer on) and runs each for a bounded time.
#   scripts/fuzz.sh [SECONDS_PER_TARGET]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DQUOBRIX_CORE_ONLY=ON -DQUOBRIX_BUILD_TESTS=OFF \
  -DQUOBRIX_BUILD_BENCH=OFF -DQUOBRIX_BUILD_FUZZ=ON -DQUOBRIX_SANITIZE=address,undefined \
  -DQUOBRIX_WERROR=ON >/dev/null
cmake --build build-fuzz

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
for target in build-fuzz/fuzz/*Fuzz; do
  name=$(basename "$target")
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  extra=()
  if [ -f "fuzz/$name.dict" ]; then
    extra=(-dict="fuzz/$name.dict")
  fi
  echo "== $name for ${seconds}s"
  "$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 "${extra[@]}" "$corpus" 2>&1 | tail -n 12
done
