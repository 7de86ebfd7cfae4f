#!/bin/sh
# Checks that korvel-css changes nothing a browser reads: headless Chromium
# compares its own reading of each stylesheet with that of the saved file.
#
# Usage: tools/acceptance/browser-check.sh KORVEL_CSS FILE_OR_FOLDER...
# Options of browser-check.mjs (--show N, --json FILE, --strict, --chromium PATH) may
# follow KORVEL_CSS. Exit status 1 when any file differs.
set -eu

if [ $# -lt 2 ]; then
  echo "usage: $0 KORVEL_CSS FILE_OR_FOLDER..." >&2
  exit 2
fi
here=$(cd "$(dirname "$0")" && pwd)
korvel=$(realpath "$1")
shift

if [ ! -x "$korvel" ]; then
  echo "$0: $korvel is not an executable (build the korvel-css target first)" >&2
  exit 2
fi
if [ ! -x "${CHROMIUM:-/usr/bin/chromium}" ]; then
  echo "$0: no Chromium at ${CHROMIUM:-/usr/bin/chromium} (apt-get install chromium)" >&2
  exit 2
fi
if [ ! -d "$here/node_modules/puppeteer-core" ]; then
  echo "$0: puppeteer-core is missing (cd $here && npm install)" >&2
  exit 2
fi

exec node "$here/browser-check.mjs" --korvel "$korvel" "$@"
