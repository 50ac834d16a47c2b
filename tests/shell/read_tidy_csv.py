# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads tidy CSV tables as a user would, with the csv module and with pandas, and prints
what both saw as JSON: the comment lines, the heading, the rows as texts, and pandas' column
types and first row."""
import csv
import json
import sys

import pandas

tables = []
for path in sys.argv[1:]:
    with open(path, newline="", encoding="utf-8") as file:
        lines = file.read().splitlines(keepends=True)
    comments = [line.rstrip("\n") for line in lines if line.startswith("#")]
    rows = list(csv.reader(line for line in lines if not line.startswith("#")))
    frame = pandas.read_csv(path, comment="#")
    tables.append({
        "comments": comments,
        "heading": rows[0],
        "rows": rows[1:],
        "dtypes": {name: str(kind) for name, kind in frame.dtypes.items()},
        "length": len(frame),
        "first": [str(value) for value in frame.iloc[0].tolist()] if len(frame) else [],
    })
print(json.dumps(tables))
