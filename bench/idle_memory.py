#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Prints the resident memory of tarvix standing idle beside its goal.

Starts tarvix on the simulated bench with an empty store and a configuration folder of its
own, waits until its resident memory has stayed put for a while (the window is up and
nothing runs), reads it from /proc and ends the program. Goal: under 64 MB.

    python3 bench/idle_memory.py --tarvix build/tarvix
"""

import argparse
import os
import subprocess
import sys
import tempfile
import time

GOAL_MB = 64.0
STEADY_SECONDS, LONGEST_WAIT = 2.0, 30.0


def memory_kb(pid):
    """VmRSS, RssAnon and RssFile of the process, in kB."""
    fields = {}
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            key, _, value = line.partition(":")
            if key in ("VmRSS", "RssAnon", "RssFile"):
                fields[key] = int(value.split()[0])
    return fields


def idle_memory(tarvix):
    env = dict(os.environ)
    env.setdefault("QT_QPA_PLATFORM", "offscreen")
    with tempfile.TemporaryDirectory() as config:
        process = subprocess.Popen([tarvix, "--bus", "sim", "--config-dir", config],
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
        try:
            last, steady_since, started = None, time.monotonic(), time.monotonic()
            while time.monotonic() - started < LONGEST_WAIT:
                time.sleep(0.25)
                if process.poll() is not None:
                    sys.exit(f"tarvix ended by itself ({process.returncode})")
                now = memory_kb(process.pid)
                if last is None or abs(now["VmRSS"] - last["VmRSS"]) > 64:
                    last, steady_since = now, time.monotonic()
                elif time.monotonic() - steady_since >= STEADY_SECONDS:
                    break
            return last
        finally:
            process.terminate()
            process.wait()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--tarvix", required=True)
    args = parser.parse_args()
    memory = idle_memory(args.tarvix)
    resident = memory["VmRSS"] / 1024
    met = resident < GOAL_MB
    print(f"idle memory: {resident:.1f} MB resident ({memory['RssAnon'] / 1024:.1f} MB own, "
          f"{memory['RssFile'] / 1024:.1f} MB of mapped files), goal < {GOAL_MB:.0f} MB")
    print("goal met" if met else "goal NOT met")
    return 0 if met else 1


if __name__ == "__main__":
    sys.exit(main())
