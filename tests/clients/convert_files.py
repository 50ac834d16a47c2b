#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window measures on the simulated bench and saves a series file, a four-probe record and
a frequency log; tarvix-convert turns each into its tidy CSV and tools/python/tarvix_files.py
reads each into rows: both must give the same rows, value for value. A bad file must make the
converter fail with a message naming it, and pandas must read the converted series table.

Usage: convert_files.py PATH_TO_TARVIX PATH_TO_TARVIX_CONVERT"""

import csv
import datetime
import io
import math
import os
import struct
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "tools", "python"))
import tarvix_files  # noqa: E402

TARVIX, CONVERT = (os.path.abspath(path) for path in sys.argv[1:3])

# A short sweep saved, an LCR sweep (it logs to "7600 test.frq" in the current folder), and a
# four-probe run of a few one-second samples saved as "run.temp".
RECIPE = """set Edit41 20
click Button1
answer {dir}/run.ktl
click Button5
check RadioButton60
check RadioButton25
check RadioButton46
click Button32
check RadioButton59
scroll ScrollBar9 1
click Button27
wait 4500
click Button28
answer {dir}/run
click Button29
"""

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)


def measure(folder):
    recipe = os.path.join(folder, "files.recipe")
    with open(recipe, "w") as handle:
        handle.write(RECIPE.format(dir=folder))
    subprocess.run([TARVIX, "--bus", "sim:noise=0,latency=0", "--script", recipe,
                    "--config-dir", folder, "-platform", "offscreen"],
                   cwd=folder, check=True, timeout=120,
                   env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))


def converted(path):
    out = subprocess.run([CONVERT, path], capture_output=True, check=True, timeout=60).stdout
    text = out.decode("utf-8")
    return list(csv.DictReader(line for line in io.StringIO(text) if not line.startswith("#")))


def as_float(cell):
    return float(cell) if cell != "" else float("nan")


def same(a, b, single=False):
    if tarvix_files.is_missing(a) or tarvix_files.is_missing(b):
        return tarvix_files.is_missing(a) and tarvix_files.is_missing(b)
    if single:  # the series store keeps 32-bit floats
        return struct.pack("f", a) == struct.pack("f", b)
    return a == b


def compare(path, columns, single=False):
    table = converted(path)
    rows = tarvix_files.read(path)
    check(len(rows) > 1 and len(table) == len(rows),
          "%s: %d rows read, %d converted" % (path, len(rows), len(table)))
    for number, (row, cells) in enumerate(zip(rows, table), start=1):
        for name, kind in columns:
            cell = cells[name] if kind is not None else None
            if kind == "int":
                ok = int(cell) == row[name]
            elif kind == "text":
                ok = cell == row[name]
            elif kind == "approx":  # computed apart on both sides, from whole seconds
                ok = math.isclose(as_float(cell), row[name], abs_tol=1e-6)
            elif kind == "time":
                ok = datetime.time.fromisoformat(cell) == row[name]
            else:
                ok = same(as_float(cell), row[name], single)
            check(ok, "%s row %d %s: converted %r, read %r" % (path, number, name, cell,
                                                               row[name]))
    return table


def compare_frq(path):
    table = converted(path)
    rows = tarvix_files.read(path)
    check(len(rows) > 1 and len(table) == len(rows), "%s: row counts differ" % path)
    for number, (row, cells) in enumerate(zip(rows, table), start=1):
        values = [as_float(cell) for cell in cells.values()]
        expected = [row["frequency_Hz"], row["primary"], row["secondary"]]
        check(all(same(a, b) for a, b in zip(values, expected)),
              "%s row %d: converted %r, read %r" % (path, number, values, expected))
    return table


def check_failures(folder):
    bad = os.path.join(folder, "broken.temp")
    with open(bad, "w") as handle:
        handle.write("not a record\n")
    result = subprocess.run([CONVERT, bad], capture_output=True, timeout=60)
    check(result.returncode == 1 and
          result.stderr.decode() == "tarvix-convert: %s: no temperature record heading on line 5\n"
          % bad, "bad file: %r" % (result.stderr,))
    # Beyond the store's 150 series: the table of what the window would show, and a failure.
    big = os.path.join(folder, "big.ktl")
    block = ["   ", "Volt Current  Series", "", "Number of points", " 1.00000000000000E+0000",
             "   ", " 1.00000000000000E+0000   2.00000000000000E-0006"]
    with open(big, "w", newline="") as handle:
        handle.write("\r\n".join(["c", "d", "t"] + block * 8 * 151) + "\r\n")
    result = subprocess.run([CONVERT, "-o", big + ".csv", big], capture_output=True, timeout=60)
    with open(big + ".csv") as table:
        points = sum(1 for line in table if line[:1].isdigit())
    check(result.returncode == 1 and points == 150 * 8 and result.stderr.decode() ==
          "tarvix-convert: %s: The file holds more than 150 series; the first 150 were read.\n"
          % big, "beyond the store: %d points, %r" % (points, result.stderr))
    # A wrong command line is status 2, apart from a bad file's 1.
    for arguments, message in (([CONVERT, "-o", "x.csv", bad, bad],
                                "-o names the output of one FILE only"),
                               ([CONVERT, "--bogus", bad], "Unknown option 'bogus'.")):
        result = subprocess.run(arguments, capture_output=True, timeout=60)
        check(result.returncode == 2 and
              result.stderr.decode() == "tarvix-convert: %s\n" % message,
              "%r: %d %r" % (arguments[1:], result.returncode, result.stderr))


def check_pandas(path):
    try:
        import pandas  # noqa: F401
    except ImportError:
        print("pandas missing: the pandas read is skipped")
        return
    shape = subprocess.run(
        "%s %s | /usr/bin/python3 -c 'import pandas,sys; "
        "print(pandas.read_csv(sys.stdin, comment=\"#\").shape)'" % (CONVERT, path),
        shell=True, capture_output=True, timeout=60).stdout.decode().strip()
    rows = len(tarvix_files.read(path))
    check(shape == "(%d, 7)" % rows, "pandas shape %r, expected %d rows" % (shape, rows))


def main():
    with tempfile.TemporaryDirectory() as folder:
        measure(folder)
        ktl = os.path.join(folder, "run.ktl")
        compare(ktl, [("series", "int"), ("segment", "int"), ("point", "int"),
                      ("voltage_V", "real"), ("current_A", "real"), ("label", "text")],
                single=True)
        compare(os.path.join(folder, "run.temp"),
                [("time", "time"), ("temperature_C", "real"), ("resistance_Ohm", "real"),
                 ("elapsed_s", "approx")])
        compare_frq(os.path.join(folder, "7600 test.frq"))
        check_failures(folder)
        check_pandas(ktl)
        # Several files: a table beside each.
        subprocess.run([CONVERT, ktl, os.path.join(folder, "run.temp")], check=True, timeout=60)
        check(os.path.exists(ktl + ".csv") and
              os.path.exists(os.path.join(folder, "run.temp.csv")), "FILE.csv beside each")
    for failure in failures:
        print("FAILED: " + failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
