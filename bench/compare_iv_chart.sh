#!/usr/bin/env bash
# Runs the I-V chart benchmark and prints how much a live redraw with a full store costs
# against one with an empty store (goal: at most 1.5), as medians of CPU time, which a shared
# machine disturbs less than wall time. Usage: compare_iv_chart.sh [build-dir]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
bench="$build_dir/bench/iv_chart_bench"
if [[ ! -x "$bench" ]]; then
    echo "no $bench: build the target iv_chart_bench first" >&2
    exit 2
fi
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
QT_QPA_PLATFORM=offscreen "$bench" --benchmark_filter='BM_LiveRedraw' \
    --benchmark_repetitions=9 --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r["cpu_time"] for r in runs if r.get("aggregate_name") == "median"}
worst = 0.0
for scale, arg in (("log", "1"), ("linear", "0")):
    empty = median[f"BM_LiveRedrawEmptyStore/{arg}"]
    full = median[f"BM_LiveRedrawFullStore/{arg}"]
    ratio = full / empty
    worst = max(worst, ratio)
    print(f"{scale:6} scale: empty store {empty:8.1f} us, full store {full:8.1f} us, "
          f"ratio {ratio:.2f}")
print(f"worst ratio {worst:.2f} (goal <= 1.50): {'met' if worst <= 1.5 else 'NOT met'}")
sys.exit(0 if worst <= 1.5 else 1)
PY
