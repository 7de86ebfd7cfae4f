#!/bin/sh
# Load + write in a loop in one process, against lightningcss's parse + print
# in a loop in one node process, on the same files, one after the other in
# one run; with the byte-scan floor and Korvel's peak memory per file.
#
# Usage: tools/peer/loop.sh [BUILD_DIR] FILE...
#   BUILD_DIR  the CMake build holding bin/korvel-loop-load-write (default: build)
# Prints a Markdown table; needs npm (lightningcss is installed here when missing).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
build=build
if [ $# -gt 0 ] && [ -d "$1" ]; then build=$1; shift; fi
build=$(cd "$build" && pwd)
[ $# -gt 0 ] || { echo "usage: $0 [BUILD_DIR] FILE..." >&2; exit 2; }
[ -d "$here/node_modules/lightningcss" ] || (cd "$here" && npm install --no-audit --no-fund >&2)

korvel=$(mktemp) peer=$(mktemp)
trap 'rm -f "$korvel" "$peer"' EXIT
"$build/bin/korvel-loop-load-write" "$@" > "$korvel"
node "$here/loop.mjs" "$@" > "$peer"
python3 - "$korvel" "$peer" <<'PY'
import statistics, sys, os
korvel = {l.split('\t')[0]: l.split('\t') for l in open(sys.argv[1]).read().splitlines()}
peer = {l.split('\t')[0]: l.split('\t') for l in open(sys.argv[2]).read().splitlines()}
print('| file | KB | Korvel MB/s | lightningcss MB/s | Korvel ÷ lightningcss | byte scan MB/s | Korvel % of scan | peak MiB | peak × file |')
print('| --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | ---: |')
ratios, floors, peaks = [], [], []
for name, (_, size, load_write, scan, peak) in korvel.items():
    size = int(size); mb = size / 1e6
    k, s = mb / float(load_write), mb / float(scan)
    l = mb / float(peer[name][2])
    ratios.append(k / l); floors.append(k / s); peaks.append(int(peak) / size)
    label = name.split('node_modules/')[-1]
    print(f'| {label} | {size / 1000:.0f} | {k:.1f} | {l:.1f} | {k / l:.2f} | {s:.0f} | {100 * k / s:.1f} % '
          f'| {int(peak) / 2**20:.1f} | {int(peak) / size:.1f} |')
print(f'\nMedian over {len(ratios)} files: Korvel ÷ lightningcss {statistics.median(ratios):.2f}, '
      f'Korvel at {100 * statistics.median(floors):.1f} % of the byte scan, peak {statistics.median(peaks):.1f} × the file.')
PY
