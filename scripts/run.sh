#!/usr/bin/env bash
# What "make run" does once the build is done. With a display ($DISPLAY or
# $WAYLAND_DISPLAY): the desktop program serves a small demo web on loopback
# (127.0.0.1 and 127.0.0.2), creates a task that searches it and runs it in
# the main window. Without one: the headless demo, which crawls the same web
# to the end and tells where the results are.
set -euo pipefail
build_dir=${1:-build}
if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  if [ "$(id -u)" -eq 0 ]; then
    # The browser view's sandbox cannot run as root.
    export QTWEBENGINE_DISABLE_SANDBOX=1
  fi
  exec "$build_dir/src/quobrix" --demo
fi
exec "$build_dir/src/quobrix-cli" demo
