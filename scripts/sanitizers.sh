#!/usr/bin/env bash
# The sanitizer runs of continuous integration:
#   ThreadSanitizer over the threaded parts (task record, engine, results,
#   server), AddressSanitizer with UndefinedBehaviorSanitizer over the rest.
# Run after "make deps"; builds in build-tsan/ and build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."

export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

echo "== ThreadSanitizer"
cmake -S . -B build-tsan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOBRIX_CORE_ONLY=ON \
  -DQUOBRIX_SANITIZE=thread -DQUOBRIX_WERROR=ON >/dev/null
cmake --build build-tsan
# Address randomisation off: ThreadSanitizer's shadow memory needs a fixed layout
# on kernels with high mmap entropy.
setarch "$(uname -m)" -R ctest --test-dir build-tsan --output-on-failure -j2 \
  -L 'task|engine|results|server'

echo "== AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DQUOBRIX_SANITIZE=address,undefined -DQUOBRIX_WERROR=ON >/dev/null
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure -j2 -LE 'engine|server|browser'
