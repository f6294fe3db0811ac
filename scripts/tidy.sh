#!/usr/bin/env bash
# clang-tidy over the core, src/app and src/cli with the checks of
# .clang-tidy, whose findings are errors. Needs a configured build folder for its
# compile_commands.json.
#   scripts/tidy.sh [BUILD_DIR]   (default build)
set -euo pipefail
cd "$(dirname "$0")/.."
build_dir=${1:-build}

if [ ! -f "$build_dir/compile_commands.json" ]; then
  cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
# The core includes the generated image table.
cmake --build "$build_dir" --target quobrix_core >/dev/null

run-clang-tidy-14 -p "$build_dir" -j "$(nproc)" -quiet \
  "$PWD/src/(common|task|engine|analysis|results|server|app|cli)/"
