#!/usr/bin/env bash
# What "make run" does once the build is done. Until the crawl engine lands,
# it creates a sample task in a temporary folder with quobrix-cli and shows
# what the task file holds.
set -euo pipefail
build_dir=${1:-build}
cli="$build_dir/src/quobrix-cli"

demo_dir=$(mktemp -d "${TMPDIR:-/tmp}/quobrix-demo-XXXXXX")
task="$demo_dir/demo.qbx"

echo "== Creating a sample task: $task"
"$cli" new "$task" --site "http://127.0.0.1/docs/index.html" --keywords "quobrix+crawler" --depth 2
echo
echo "== The task directory"
ls -l "$demo_dir/demo"
echo
echo "== quobrix-cli show $task (first lines)"
"$cli" show "$task" | head -n 40
echo "   ..."
echo
echo "The task file and its folder stay in $demo_dir."
