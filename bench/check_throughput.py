#!/usr/bin/env python3
"""Runs one benchmark of korvel_bench briefly and checks that the throughput it
prints is what bench/README.md says it is: MB (10^6 bytes) per second of wall
time. Usage: check_throughput.py KORVEL_BENCH"""

import json
import re
import subprocess
import sys
import tempfile


def main() -> int:
    program = sys.argv[1]
    with tempfile.NamedTemporaryFile(suffix=".json") as out:
        console = subprocess.run(
            [program, "--benchmark_filter=^Write/framework-extracts", "--benchmark_min_time=0.05",
             "--benchmark_counters_tabular=false", "--benchmark_out_format=json",
             f"--benchmark_out={out.name}"],
            check=True, capture_output=True, text=True).stdout
        with open(out.name, encoding="utf-8") as report:
            runs = json.load(report)["benchmarks"]
    if len(runs) != 1:
        print(f"one run expected, got {len(runs)}:\n{console}")
        return 1
    run = runs[0]
    failures = []
    if not run["name"].endswith("/real_time"):
        failures.append(f"{run['name']}: the rate is not counted against wall time")
    seconds = run["real_time"] / {"ns": 1e9, "us": 1e6, "ms": 1e3, "s": 1.0}[run["time_unit"]]
    wall_rate = run["bytes"] / seconds
    if abs(run["bytes_per_second"] - wall_rate) > 0.01 * wall_rate:
        failures.append(f"bytes_per_second {run['bytes_per_second']:.0f} is not bytes over wall time "
                        f"{wall_rate:.0f}")
    printed = re.search(r"bytes_per_second=([0-9.]+)M/s", console)
    if not printed:
        failures.append(f"no throughput printed in M/s:\n{console}")
    elif abs(float(printed.group(1)) * 1e6 - run["bytes_per_second"]) > 0.005 * run["bytes_per_second"]:
        failures.append(f"printed {printed.group(1)}M/s is not {run['bytes_per_second'] / 1e6:.1f} MB/s "
                        "(M must be 10^6)")
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
