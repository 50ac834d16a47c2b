#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Times this program's series files against the usual Python tools on the same numbers.

A full store's worth of points (150 series x 8 segments x 10000 points, voltage and current
as float32) is saved and reopened by tarvix-ktlbench; numpy.savetxt writes the same numbers
in the same number form and pandas.read_csv (whitespace-separated, C engine) reads that file
back. Goals: the open at least 5x faster than pandas reads, the save at least 10x faster than
numpy writes, judged on the wall clock; processor times are shown beside it because a busy
machine stretches the wall clock of whichever side runs at the worse moment.

    python3 bench/compare_files.py --ktlbench build/tools/ktlbench/tarvix-ktlbench
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

try:
    import numpy
    import pandas
except ImportError as missing:  # the Debian packages python3-numpy and python3-pandas
    sys.exit(f"compare_files.py needs numpy and pandas: {missing}")

SERIES, SEGMENTS, POINTS = 150, 8, 10000
OPEN_GOAL, SAVE_GOAL = 5.0, 10.0


def make_numbers(count, seed=2024):
    random = numpy.random.default_rng(seed)
    pairs = numpy.empty((count, 2), dtype=numpy.float32)
    pairs[:, 0] = random.uniform(-10.0, 10.0, count)
    pairs[:, 1] = random.uniform(-1e-6, 1e-6, count) * 10.0 ** random.integers(-6, 1, count)
    return pairs


def run_ktlbench(program, numbers_path, folder):
    output = subprocess.run([program, numbers_path, folder], check=True,
                            capture_output=True, text=True).stdout
    values = dict(line.split() for line in output.splitlines())
    return {key: float(value) for key, value in values.items()}


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--ktlbench", required=True, help="path of tarvix-ktlbench")
    parser.add_argument("--folder", default=None, help="scratch folder (default: a temporary one)")
    args = parser.parse_args()

    with tempfile.TemporaryDirectory(dir=args.folder) as folder:
        pairs = make_numbers(SERIES * SEGMENTS * POINTS)
        numbers_path = os.path.join(folder, "numbers.f32")
        pairs.tofile(numbers_path)

        ours = run_ktlbench(args.ktlbench, numbers_path, folder)
        os.remove(os.path.join(folder, "bench.ktl"))

        text_path = os.path.join(folder, "numpy.txt")
        start, cpu = time.perf_counter(), time.process_time()
        numpy.savetxt(text_path, pairs.astype(numpy.float64), fmt="% .14E", delimiter="   ")
        numpy_seconds = time.perf_counter() - start
        numpy_cpu = time.process_time() - cpu

        start, cpu = time.perf_counter(), time.process_time()
        frame = pandas.read_csv(text_path, delim_whitespace=True, header=None, engine="c")
        pandas_seconds = time.perf_counter() - start
        pandas_cpu = time.process_time() - cpu
        if frame.shape != pairs.shape:
            sys.exit(f"pandas read {frame.shape}, expected {pairs.shape}")

    open_ratio = pandas_seconds / ours["open_seconds"]
    save_ratio = numpy_seconds / ours["save_seconds"]
    print(f"series file: {ours['bytes'] / 1e6:.0f} MB, "
          f"{int(ours['segments_differing'])} segments read back differently")
    print("                 wall clock                              processor time")
    print(f"save  tarvix {ours['save_seconds']:7.2f} s  numpy.savetxt   {numpy_seconds:7.2f} s"
          f"  ratio {save_ratio:5.1f}   |  {ours['save_cpu_seconds']:6.2f} s vs {numpy_cpu:6.2f} s"
          f"  ratio {numpy_cpu / ours['save_cpu_seconds']:5.1f}   (goal {SAVE_GOAL:.0f})")
    print(f"open  tarvix {ours['open_seconds']:7.2f} s  pandas.read_csv {pandas_seconds:7.2f} s"
          f"  ratio {open_ratio:5.1f}   |  {ours['open_cpu_seconds']:6.2f} s vs {pandas_cpu:6.2f} s"
          f"  ratio {pandas_cpu / ours['open_cpu_seconds']:5.1f}   (goal {OPEN_GOAL:.0f})")
    print("the save includes flushing the file to the disk (fsync), which numpy.savetxt does not do")
    met = open_ratio >= OPEN_GOAL and save_ratio >= SAVE_GOAL
    print("goals met" if met else "goals NOT met")
    return 0 if met and ours["segments_differing"] == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
