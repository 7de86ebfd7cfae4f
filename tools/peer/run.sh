#!/bin/sh
# Times korvel-css against other CSS parsers on one stylesheet, as whole
# processes that read the file and print it back (output to /dev/null).
#
# Usage: tools/peer/run.sh [BUILD_DIR [FILE]]
#   BUILD_DIR  the CMake build holding bin/korvel-css (default: build)
#   FILE       the stylesheet (default: the generated 20 MB one, made with
#              korvel-generate-stylesheet when missing)
# Needs hyperfine (apt-get install hyperfine) and npm.
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-build}" && pwd)
file=${2:-$build/generated-20MB.css}
[ -f "$file" ] || "$build/bin/korvel-generate-stylesheet" 20000000 "$file"
[ -d "$here/node_modules" ] || (cd "$here" && npm install --no-audit --no-fund)

peer="node $here/parse-and-print.mjs"
hyperfine --warmup 1 --runs "${RUNS:-10}" --export-markdown "$build/peer-comparison.md" \
  -n korvel-css "$build/bin/korvel-css $file" \
  -n lightningcss "$peer lightningcss $file" \
  -n esbuild "$peer esbuild $file" \
  -n postcss "$peer postcss $file"
