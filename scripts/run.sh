#!/usr/bin/env bash
# What "make run" does once the build is done: the headless demo. It serves a
# small demo web on loopback (127.0.0.1 and 127.0.0.2), creates a task that
# searches it, crawls it to the end and tells where the results are.
set -euo pipefail
build_dir=${1:-build}
exec "$build_dir/src/quobrix-cli" demo
