#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the export corrections benchmark and prints what one click costs with each choice of
# options, in plain copies of both tables (goal: at most 2 on every kind of data), as medians
# of the wall clock (the corrections use both cores), with the processor time of all threads
# beside it. Usage: compare_export.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
bench="$build_dir/bench/export_corrections_bench"
if [[ ! -x "$bench" ]]; then
    echo "no $bench: build the target export_corrections_bench first" >&2
    exit 2
fi
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
"$bench" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"].split("/")[0]: r for r in runs if r.get("aggregate_name") == "median"}
copy = median.pop("BM_PlainCopyOfBothTables")
print(f"plain copy of both tables: {copy['real_time']:.1f} ms wall, {copy['cpu_time']:.1f} ms "
      "processor")
print("                           a click, wall clock     | processor time, both threads")
worst = 0.0
for name, run in sorted(median.items()):
    wall = run["real_time"] / 2  # two clicks an iteration
    cpu = run["cpu_time"] / 2
    ratio = wall / copy["real_time"]
    worst = max(worst, ratio)
    print(f"{name[3:]:26} {wall:7.1f} ms {ratio:5.2f} copies | {cpu:7.1f} ms "
          f"{cpu / copy['cpu_time']:5.2f} copies")
print(f"worst {worst:.2f} copies on the wall clock (goal <= 2): "
      f"{'met' if worst <= 2 else 'NOT met'}")
sys.exit(0 if worst <= 2 else 1)
PY
