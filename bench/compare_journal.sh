#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs the sweep benchmark with and without the recovery journal and prints what the journal
# costs a point: the wall-clock ratio (the figure a user sees; the journal's writing thread runs
# on the second core) and the processor time it adds over both threads. Medians of interleaved
# repetitions. Usage: compare_journal.sh [build-dir] [repetitions]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build_dir="${1:-$root/build}"
repetitions="${2:-9}"
bench="$build_dir/bench/iv_sweep_bench"
if [[ ! -x "$bench" ]]; then
    echo "no $bench: build the target iv_sweep_bench first" >&2
    exit 2
fi
json="$(mktemp)"
trap 'rm -f "$json"' EXIT
QT_QPA_PLATFORM=offscreen "$bench" --benchmark_repetitions="$repetitions" \
    --benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true \
    --benchmark_format=json --benchmark_out="$json" --benchmark_out_format=json >/dev/null
python3 - "$json" <<'PY'
import json, sys
runs = json.load(open(sys.argv[1]))["benchmarks"]
def aggregate(kind):
    return {r["run_name"].split("/")[0]: r for r in runs if r.get("aggregate_name") == kind}
median, spread = aggregate("median"), aggregate("stddev")
points = 10000  # times are per iteration: one 10000-point sweep
met = True
for store in ("Empty", "Full"):
    plain_name, journaled_name = f"BM_Sweep{store}Store", f"BM_Sweep{store}StoreJournaled"
    plain, journaled = median[plain_name], median[journaled_name]
    ratio = journaled["real_time"] / plain["real_time"]
    # Seen means beyond 5 % and beyond twice the repetitions' own spread.
    noise = 2 * max(spread[plain_name]["real_time"], spread[journaled_name]["real_time"])
    seen = ratio > 1.05 and journaled["real_time"] - plain["real_time"] > noise
    met = met and not seen
    extra = (journaled["cpu_time"] - plain["cpu_time"]) * 1e3 / points
    print(f"{store.lower()} store: {plain['real_time'] * 1e3 / points:.2f} us a point plain, "
          f"{journaled['real_time'] * 1e3 / points:.2f} us journaled: ratio {ratio:.3f}, "
          f"twice the spread {noise / plain['real_time']:.3f} "
          f"(goal: not seen, i.e. ratio <= 1.05 or within twice the spread) "
          f"{'NOT met' if seen else 'met'}; writing thread {extra:.1f} us a point on the other core")
sys.exit(0 if met else 1)
PY
