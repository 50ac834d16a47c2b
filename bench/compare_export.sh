#!/usr/bin/env bash
# Runs the export corrections benchmark and prints what one click costs with each choice of
# options, in plain copies of both tables (goal: at most 2 on every kind of data), as medians
# of processor time. Usage: compare_export.sh [build-dir]
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
median = {r["run_name"]: r["cpu_time"] for r in runs if r.get("aggregate_name") == "median"}
copy = median["BM_PlainCopyOfBothTables"]
print(f"plain copy of both tables: {copy:.1f} ms")
worst = 0.0
for name, click in sorted(median.items()):
    if name == "BM_PlainCopyOfBothTables":
        continue
    ratio = click / 2 / copy  # two clicks an iteration
    worst = max(worst, ratio)
    print(f"{name[3:]:26} {click / 2:7.1f} ms a click, {ratio:.2f} copies")
print(f"worst {worst:.2f} copies (goal <= 2): {'met' if worst <= 2 else 'NOT met'}")
sys.exit(0 if worst <= 2 else 1)
PY
