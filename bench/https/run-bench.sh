#!/usr/bin/env bash
# Times quobrix-cli crawling the 2,000-page site over HTTPS against over
# HTTP, 10 threads, all served by one nginx on 127.0.0.1: HTTPS from a
# server of TLS 1.3 and from one of TLS 1.2 alone (a certificate for
# 127.0.0.1 from an authority the bench makes, verified by the crawler), two
# rounds. Installs what it needs (scripts/install-deps.sh --bench: nginx),
# builds the bench and quobrix-cli, and runs it. A benchmark to run by hand,
# never part of make test.
#
#   bench/https/run-bench.sh [BUILD_DIR] [--] [BENCH OPTIONS]
#   bench/https/run-bench.sh --rounds 3 --timeout 600 --keep
#   bench/https/run-bench.sh --help     (the bench's options)
#
# BUILD_DIR defaults to build/ (configured here when it is not yet). The
# bench prints one table of each crawl's files, wall and CPU seconds and
# pages a second, then how HTTPS compares with HTTP, and exits 1 when a
# crawl did not finish (or gave up after --timeout, 300 s by default) or the
# HTTPS ones stored other files than the HTTP one.
set -euo pipefail

root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build"
if [ $# -gt 0 ] && [[ "$1" != -* ]]; then
  build=$(realpath -m "$1")
  shift
fi
if [ "${1:-}" = "--" ]; then
  shift
fi

"$root/scripts/install-deps.sh" --bench
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target quobrix_https_bench quobrix-cli

echo "uptime: $(uptime)"
status=0
"$build/bench/https/quobrix_https_bench" "$@" || status=$?
echo "uptime: $(uptime)"
exit "$status"
