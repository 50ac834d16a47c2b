#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times the I-V chart's goals through the program, end to end, with recipes.

Runs tarvix on the simulated bench without latency with a recipe and stamps every line the
recipe prints as it arrives; the time between two stamps is what the actions between the two
print lines took, drawing and window paints included.

- Start with a full store: the default 41-point sweep on an empty store and after "Open
  files" of a file with 140 full series (8 x 10000 points each, made with tarvix-ktlbench;
  140, so that every timed Start finds room in the store's 150 slots); goal: full at most
  1.5 x empty, for the first Start after the open (which draws the store at the axes the
  Start sets) and for the Starts after it, each the median over several programs run in
  turn. A first Start before the open scans the bus and is not timed. Each Start follows a
  pause, as a person's would (a second after the open). Beside the wall clock the processor
  time of the program (all its threads) for a Start, which a shared machine disturbs less.
- Cost per live point: sweeps of 8 x 1001 and 8 x 4001 points on an empty store; goal: the
  longer one at most 1.3 x per point.
- With --open: "Open files" of the full store's file beside pandas.read_csv of the same
  numbers (/usr/bin/python3 with pandas; goal at least 5 x faster).

Wall clock on a machine shared with others: compare ratios from one run only.

    python3 bench/compare_through_window.py --tarvix build/tarvix \\
        --ktlbench build/tools/ktlbench/tarvix-ktlbench
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

SERIES, SEGMENTS, POINTS = 140, 8, 10000
TIMED_STARTS = 4
START_RUNS = 7
SEGMENT_BOXES = ["CheckBox2", "CheckBox4", "CheckBox6", "CheckBox9", "CheckBox11", "CheckBox15",
                 "CheckBox18"]
START_GOAL, POINT_GOAL, OPEN_GOAL = 1.5, 1.3, 5.0


def make_store_file(ktlbench, folder):
    """A series file of SERIES full series of diode-like sweeps, written by the program."""
    import numpy
    p = numpy.arange(POINTS, dtype=numpy.float64) / (POINTS - 1)
    pairs = numpy.empty((SERIES, SEGMENTS, POINTS, 2), dtype=numpy.float32)
    for segment in range(SEGMENTS):
        reach = 0.25 * (segment + 1)
        volts = -reach + 2 * reach * p if segment % 2 == 0 else reach - 2 * reach * p
        for series in range(SERIES):
            scale = 0.5 + series / 50.0
            pairs[series, segment, :, 0] = volts
            pairs[series, segment, :, 1] = scale * 1e-7 * (numpy.exp(3.0 * volts) - 1.0)
    numbers = os.path.join(folder, "numbers.f32")
    pairs.tofile(numbers)
    subprocess.run([ktlbench, numbers, folder], check=True, capture_output=True)
    os.remove(numbers)
    return os.path.join(folder, "bench.ktl"), pairs


def processor_seconds(pid):
    """User and system time of a process, all its threads, finished ones included."""
    try:
        with open(f"/proc/{pid}/stat") as stat:
            fields = stat.read().rsplit(")", 1)[1].split()
    except OSError:
        return float("nan")
    return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")


def run_recipe(tarvix, folder, lines):
    """Runs the recipe; returns (time, processor time, text) of every printed line."""
    recipe = os.path.join(folder, "recipe.txt")
    with open(recipe, "w") as out:
        out.write("\n".join(lines) + "\n")
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    # A configuration folder of its own: nothing recovered from an earlier recipe's runs.
    config = tempfile.mkdtemp(dir=folder)
    process = subprocess.Popen(
        [tarvix, "--bus", "sim:noise=0,latency=0", "--config-dir", config, "--script", recipe],
        stdout=subprocess.PIPE, text=True, env=env)
    stamped = [(time.perf_counter(), processor_seconds(process.pid), line.rstrip("\n"))
               for line in process.stdout]
    if process.wait() != 0:
        sys.exit(f"the recipe failed ({process.returncode}): {stamped[-3:]}")
    return stamped


def durations(stamped, prefix):
    times = [t for t, _, text in stamped if text.startswith(prefix)]
    return [b - a for a, b in zip(times, times[1:])]


def start_recipe(store_file):
    lines = ["click Button1", "print status"]
    if store_file:
        lines += ["reply yes", f"answer {store_file}", "click Button3", "print status"]
    # A person looks at the chart for a moment before pressing Start, a little longer after an
    # open; the program may use such idle time. It is idle in the short wait, so the
    # processor time from the line before it to the status line is that of the Start.
    for pause in [1000] + [300] * (TIMED_STARTS - 1):
        lines += [f"wait {pause}", "print Edit2", "wait 100", "print Label10", "click Button1",
                  "print status"]
    return lines


def start_times(tarvix, folder, store_file):
    """(wall, processor) seconds of each timed Start."""
    stamped = run_recipe(tarvix, folder, start_recipe(store_file))
    if store_file and not any(text.startswith(f"status: Read {SERIES} series")
                              for _, _, text in stamped):
        sys.exit(f"the store was not opened: {stamped}")
    ends = [(t, cpu, text) for t, cpu, text in stamped if text.startswith("status:")]
    ends = ends[-TIMED_STARTS:]
    if any("finished" not in text for _, _, text in ends):
        sys.exit(f"a timed Start did not finish its sweep: {ends}")
    idle = [cpu for _, cpu, text in stamped if text.startswith("Edit2:")]
    goes = [t for t, _, text in stamped if text.startswith("Label10:")]
    return [(end[0] - go, end[1] - before) for go, before, end in zip(goes, idle, ends)]


def start_figures(tarvix, folder, store_file):
    """Empty and full store in turn, START_RUNS programs each; for the first timed Start and
    for the later ones, per store: the median wall time and the mean processor time (the
    kernel counts it in ticks of 10 ms, which only a mean over many Starts resolves)."""
    starts = {False: ([], []), True: ([], [])}
    for _ in range(START_RUNS):
        for full in (False, True):
            timed = start_times(tarvix, folder, store_file if full else None)
            starts[full][0].append(timed[0])
            starts[full][1].extend(timed[1:])
    def summary(pairs):
        return (statistics.median(wall for wall, _ in pairs),
                statistics.fmean(cpu for _, cpu in pairs))
    return {full: tuple(summary(pairs) for pairs in kinds) for full, kinds in starts.items()}


def report_starts(figures):
    """Prints the Start figures next to the goal; True when both meet it."""
    met = True
    for index, which in enumerate(["first Start after the open", "later Starts"]):
        (empty_wall, empty_cpu), (full_wall, full_cpu) = figures[False][index], figures[True][index]
        ratio = full_wall / empty_wall
        met = met and ratio <= START_GOAL
        print(f"Start, default sweep, {which}: empty store {empty_wall * 1e3:.0f} ms, {SERIES} "
              f"full series {full_wall * 1e3:.0f} ms, ratio {ratio:.2f} (goal <= {START_GOAL}); "
              f"processor {empty_cpu * 1e3:.0f} ms and {full_cpu * 1e3:.0f} ms, ratio "
              f"{full_cpu / empty_cpu:.2f}")
    return met


def per_point(tarvix, folder, steps):
    lines = [f"check {box}" for box in SEGMENT_BOXES]
    lines += [f"set Edit41 {steps}", "click Button1", "print Label10", "click Button1",
              "print Label10"]
    seconds = durations(run_recipe(tarvix, folder, lines), "Label10:")[-1]
    return seconds / (SEGMENTS * (steps + 1))


def read_through(path):
    """Reads a file once so that it comes from the page cache, as a file just written does:
    a machine that pages out cold page cache would otherwise time its disk for a file made
    minutes earlier, and not for pandas' file, which is written right before it is read."""
    with open(path, "rb") as data:
        while data.read(1 << 24):
            pass


def open_ratio(tarvix, folder, store_file, pairs):
    read_through(store_file)
    stamped = run_recipe(tarvix, folder,
                         ["print Label15", f"answer {store_file}", "click Button3", "print Label15"])
    ours = durations(stamped, "Label15:")[-1]
    import numpy
    text_path = os.path.join(folder, "numpy.txt")
    numpy.savetxt(text_path, pairs.reshape(-1, 2).astype(numpy.float64), fmt="% .14E",
                  delimiter="   ")
    reader = ("import sys, time, pandas; t = time.perf_counter(); "
              "pandas.read_csv(sys.argv[1], sep=r'\\s+', header=None, engine='c'); "
              "print(time.perf_counter() - t)")
    read_through(text_path)
    pandas = float(subprocess.run(["/usr/bin/python3", "-c", reader, text_path], check=True,
                                  capture_output=True, text=True).stdout)
    os.remove(text_path)
    return ours, pandas


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tarvix", required=True)
    parser.add_argument("--ktlbench", required=True)
    parser.add_argument("--folder", default=None, help="scratch folder (default: a temporary one)")
    parser.add_argument("--open", action="store_true", help="also time Open against pandas")
    parser.add_argument("--starts-only", action="store_true", help="time the Starts only")
    args = parser.parse_args()
    met = True
    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        store_file, pairs = make_store_file(args.ktlbench, folder)
        met = report_starts(start_figures(args.tarvix, folder, store_file))
        if args.starts_only:
            print("goals met" if met else "goals NOT met")
            return 0 if met else 1
        short = per_point(args.tarvix, folder, 1000)
        long = per_point(args.tarvix, folder, 4000)
        ratio = long / short
        met = met and ratio <= POINT_GOAL
        print(f"live point: 8 x 1001 {short * 1e3:.3f} ms, 8 x 4001 {long * 1e3:.3f} ms, "
              f"ratio {ratio:.2f} (goal <= {POINT_GOAL})")
        if args.open:
            ours, pandas = open_ratio(args.tarvix, folder, store_file, pairs)
            ratio = pandas / ours
            met = met and ratio >= OPEN_GOAL
            print(f"Open files: {ours:.2f} s, pandas.read_csv {pandas:.2f} s, "
                  f"{ratio:.1f} x faster (goal >= {OPEN_GOAL})")
    print("goals met" if met else "goals NOT met")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
