#!/usr/bin/env bash
# Times the desktop program against quobrix-cli on the same crawls: a
# 2,000-page site and a 5 MB page, served by nginx on 127.0.0.1, two rounds
# each, with the key-press waits of the desktop program while it crawls.
# Installs what it needs (scripts/install-deps.sh --bench: nginx, the X test
# library), builds the bench and quobrix-cli, and runs the bench on a private
# X server (Xvfb). A benchmark to run by hand, never part of make test.
#
#   bench/desktop/run-bench.sh [BUILD_DIR] [--] [BENCH OPTIONS]
#   bench/desktop/run-bench.sh --rounds 3 --timeout 600 --keep
#   bench/desktop/run-bench.sh --help     (the bench's options)
#
# BUILD_DIR defaults to build/ (configured here when it is not yet). The
# bench prints one table of both programs' seconds, the files each stored
# and the key-press waits, and exits 1 when a crawl did not finish (or gave
# up after --timeout, 300 s by default) or the stored files differ.
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
if [ -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" >/dev/null  # picks up a newly installed X test library
else
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" --target quobrix_desktop_bench quobrix-cli

export QT_QPA_PLATFORM=xcb
export QTWEBENGINE_DISABLE_SANDBOX=1
export QTWEBENGINE_CHROMIUM_FLAGS="--disable-gpu --disable-background-networking --disable-component-update --disable-sync"
export QT_LOGGING_RULES="${QT_LOGGING_RULES:-qt.webenginecontext=false}"  # its start-up report
echo "uptime: $(uptime)"
status=0
xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" \
  "$build/bench/desktop/quobrix_desktop_bench" "$@" || status=$?
echo "uptime: $(uptime)"
exit "$status"
