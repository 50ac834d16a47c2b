# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads Tarvix's data files into rows, with the standard library only.

    import tarvix_files
    rows = tarvix_files.read("run.ktl")      # a list of dicts, one per point
    rows = tarvix_files.read("cooling.temp")  # one per sample
    rows = tarvix_files.read("7600 test.frq") # one per meter reading

The rows carry the columns of the tidy CSV that tarvix-convert writes for the same file
(docs/file-formats.md describes both): `.ktl` rows series, segment, point, voltage_V,
current_A, label; `.temp` rows time (datetime.time), the record's quantities and elapsed_s;
`.frq` rows frequency_Hz, primary, secondary and the meter's codes primary_code and
secondary_code. A missing reading is float("nan") or None.
"""

import datetime
import math
import os
import re

HEADER_WORDS = ("Number of points", "Точек")
FREQUENCY_KEY = "  F[Hz]  "
_NUMBER = re.compile(r"^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*$")


class FormatError(ValueError):
    """The file is not of the kind its extension names."""


def number(text):
    """A real field: the default real form, the fixed form, Nan or +-Inf."""
    field = text.strip()
    if field.lower() in ("nan", "+inf", "-inf"):
        return float(field)
    if not _NUMBER.match(field):
        raise FormatError("not a number: %r" % text)
    return float(field)


def _lines(path, encoding):
    with open(path, "rb") as handle:
        data = handle.read()
    return [line[:-1] if line.endswith("\r") else line
            for line in data.decode(encoding).split("\n")]


def read_ktl(path):
    """The points of a series file; non-empty blocks fill segments 1..8 of series 1, then of
    series 2 and so on, as the window opens them."""
    lines = _lines(path, "cp1251")
    rows = []
    block = 0
    i = 3
    while i < len(lines):
        if lines[i] not in HEADER_WORDS:
            i += 1
            continue
        label = lines[i - 1]
        count = round(number(lines[i + 1].split()[0]))
        i += 2
        if count == 0:
            continue
        series, segment = block // 8 + 1, block % 8 + 1
        block += 1
        i += 1  # the three blanks
        for point in range(1, count + 1):
            fields = lines[i].split()
            rows.append({"series": series, "segment": segment, "point": point,
                         "voltage_V": number(fields[0]), "current_A": number(fields[1]),
                         "label": label})
            i += 1
    if block == 0 and not any(line in HEADER_WORDS for line in lines):
        raise FormatError("no block header")
    return rows


def _time_of_day(text):
    """The system's long time format of the writing machine: 24-hour or 12-hour with AM/PM."""
    for layout in ("%H:%M:%S", "%I:%M:%S %p"):
        try:
            return datetime.datetime.strptime(text.strip(), layout).time()
        except ValueError:
            pass
    raise FormatError("not a time of day: %r" % text)


def _seconds(time):
    return time.hour * 3600 + time.minute * 60 + time.second + time.microsecond / 1e6


def read_temp(path):
    """The samples of a temperature record, four-probe or thermocouple."""
    lines = _lines(path, "cp1251")
    heading = lines[4].strip() if len(lines) > 4 else ""
    if heading.startswith("Температура"):
        names = ("temperature_C", "resistance_Ohm")
    elif heading.startswith("V термопары"):
        names = ("thermocouple_V", "reference_K", "thermocouple_K")
    else:
        raise FormatError("no temperature record heading on line 5")
    rows = []
    first = previous = None
    days = 0
    for line in lines[7:]:
        fields = line.split(None, len(names))
        if not fields:
            continue
        if len(fields) != len(names) + 1:
            raise FormatError("no sample row: %r" % line)
        row = {"time": _time_of_day(fields[-1])}
        row.update(zip(names, (number(field) for field in fields[:-1])))
        seconds = _seconds(row["time"])
        if first is None:
            first = seconds
        elif seconds < previous:
            days += 1
        previous = seconds
        row["elapsed_s"] = days * 86400 + seconds - first
        rows.append(row)
    return rows


def _value_field(text):
    try:
        return number(text) if text.strip() else None
    except FormatError:
        return None


def read_frq(path):
    """The meter readings of a frequency log, one row per line."""
    rows = []
    for index, line in enumerate(_lines(path, "latin-1"), start=1):
        if not line.strip():
            continue
        reply, key, frequency = line.rpartition(FREQUENCY_KEY)
        if not key:
            raise FormatError("line %d has no %r" % (index, FREQUENCY_KEY.strip()))
        # The line keeps the reply up to the first tab of its closing run of three.
        fields = reply.split("\t")
        primary = fields[1] if len(fields) >= 3 else None
        secondary = fields[4] if len(fields) >= 6 else None
        rows.append({
            "frequency_Hz": number(frequency),
            "primary": _value_field(primary) if primary is not None else None,
            "secondary": _value_field(secondary) if secondary is not None else None,
            "primary_code": fields[0].strip(),
            "secondary_code": fields[3].strip() if secondary is not None else "N",
        })
    return rows


READERS = {".ktl": read_ktl, ".temp": read_temp, ".frq": read_frq}


def read(path):
    """The rows of a .ktl, .temp or .frq file, chosen by its extension."""
    reader = READERS.get(os.path.splitext(path)[1].lower())
    if reader is None:
        raise FormatError("not a .ktl, .temp or .frq file: %s" % path)
    return reader(path)


def is_missing(value):
    return value is None or (isinstance(value, float) and math.isnan(value))
