#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Runs a TSP script of the kind a lab writes for its 2636A on tarvix-simbench, through a
pyvisa-py session on the controller's TCP port: the script is loaded line by line between
loadscript and endscript, sweeps the 1 kOhm resistor into smua.nvbuffer1 and is read back
with printbuffer. Every current must be V/1000, the timestamps must rise, the error queue must
end empty, and a 1000-point sweep must come back whole in one reply.

Usage: simbench_tsp_script.py PATH_TO_TARVIX_SIMBENCH
Exits 77 (skipped) when pyvisa-py is missing."""

import subprocess
import sys

SKIP = 77
OPTIONS = "smu=2636A,noise=0,latency=0,sample=resistor:1000"
OHMS = 1000.0

SWEEP = """loadscript IVSweep
reset()
errorqueue.clear()
format.data = format.ASCII
format.asciiprecision = 7
display.clear()
display.settext("I-V sweep$Nrunning")
smua.source.func = smua.OUTPUT_DCVOLTS
smua.source.limiti = 10e-3
smua.measure.nplc = nplc
smua.measure.autorangei = smua.AUTORANGE_ON
smua.nvbuffer1.clear()
smua.nvbuffer1.appendmode = 1
smua.nvbuffer1.collectsourcevalues = 1
smua.nvbuffer1.collecttimestamps = 1
smua.source.levelv = first
smua.source.output = smua.OUTPUT_ON
for k = 0, points - 1 do
  smua.source.levelv = first + k * (last - first) / (points - 1)
  delay(0.001)
  smua.measure.i(smua.nvbuffer1)
end
smua.source.output = smua.OUTPUT_OFF
display.setcursor(1, 1)
display.settext("Done     ")
endscript"""


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, ok, message):
        if not ok:
            self.messages.append(message)
            print("FAIL: " + message)


def numbers(reply):
    return [float(value) for value in reply.split(",")]


def run_sweep(session, failures, points, first, last, nplc):
    def ask(command):
        session.write(command)
        session.write("++read eoi")
        return session.read()

    session.write("points, first, last, nplc = %d, %g, %g, %g" % (points, first, last, nplc))
    for line in SWEEP.splitlines():
        session.write(line)
    session.write("IVSweep()")
    session.write("waitcomplete()")
    count = int(float(ask("print(smua.nvbuffer1.n)")))
    failures.check(count == points, "the buffer holds %d readings, wanted %d" % (count, points))
    pairs = numbers(ask("printbuffer(1, smua.nvbuffer1.n, smua.nvbuffer1.sourcevalues, "
                        "smua.nvbuffer1.readings)"))
    failures.check(len(pairs) == 2 * points,
                   "printbuffer gave %d values, wanted %d" % (len(pairs), 2 * points))
    for volts, amps in zip(pairs[0::2], pairs[1::2]):
        failures.check(abs(amps - volts / OHMS) <= 1e-6 * abs(volts / OHMS) + 1e-15,
                       "%g A at %g V, wanted V/1000" % (amps, volts))
    times = numbers(ask("printbuffer(1, smua.nvbuffer1.n, smua.nvbuffer1.timestamps)"))
    failures.check(times[0] == 0 and all(b > a for a, b in zip(times, times[1:])),
                   "timestamps do not rise from 0: %s" % times[:5])
    shown = ask("print(display.gettext())")
    failures.check(shown == "Done     $Nrunning", "the display after the sweep: %r" % shown)
    failures.check(ask("print(smua.source.output, errorqueue.count)") ==
                   "0.000000e+00\t0.000000e+00", "the output is off and no error is queued")
    return ask


def main():
    try:
        import pyvisa
        import pyvisa_py  # noqa: F401 -- the backend "@py" needs it
    except ImportError:
        print("SKIPPED: the TSP script test needs pyvisa-py (Debian: python3-pyvisa-py)")
        return SKIP

    failures = Failures()
    bench = subprocess.Popen([sys.argv[1], "--listen", "127.0.0.1:0", "--options", OPTIONS],
                             stdout=subprocess.PIPE, text=True)
    try:
        port = int(bench.stdout.readline().strip().rsplit(":", 1)[1])
        manager = pyvisa.ResourceManager("@py")
        session = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port,
                                        read_termination="\n", write_termination="\n",
                                        timeout=5000)
        for setup in ("++mode 1", "++auto 0", "++eoi 1", "++eos 2", "++addr 26"):
            session.write(setup)
        ask = run_sweep(session, failures, 21, -1.0, 1.0, 1)
        run_sweep(session, failures, 1000, -5.0, 5.0, 0.01)
        session.write("x = = 1")
        reply = ask("errorcode, message = errorqueue.next() print(errorcode, message)")
        failures.check(reply.startswith("-2.850000e+02\tTSP Syntax error at line 1:"),
                       "a syntax error is queued as one: %r" % reply)
        reply = ask("print(errorqueue.next())")
        failures.check(reply == "0.000000e+00\tQueue Is Empty\t0.000000e+00\t1.000000e+00",
                       "then the queue is empty: %r" % reply)
        session.close()
    finally:
        bench.kill()
    if failures.messages:
        print("%d failure(s)" % len(failures.messages))
        return 1
    print("the lab's TSP script ran as on the instrument")
    return 0


if __name__ == "__main__":
    sys.exit(main())
