#!/usr/bin/python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Drives tarvix-simbench with instrument libraries nobody here wrote: PyMeasure's Keithley 2400
and 2000 drivers through its Prologix adapter on a pty that socat bridges to the TCP port, a
pyvisa-py session sending raw commands to the 6485 over a second connection, and a pyvisa-py
session on the 2400's own raw socket port, as a lab script reaches a LAN instrument. After every
call the instrument's error queue must be empty (but where the script provokes an error), and
with a 1 kOhm resistor and no noise every current must be V/1000 until the compliance clips it.

Usage: simbench_clients.py PATH_TO_TARVIX_SIMBENCH
Exits 77 (skipped) when PyMeasure, pyvisa-py or socat is missing."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
OPTIONS = "smu=2400,noise=0,latency=0,sample=resistor:1000,isource=sample"
OHMS = 1000.0


def skip_unless_clients_installed():
    missing = []
    for module in ("pymeasure", "pyvisa", "pyvisa_py", "serial", "numpy"):
        try:
            __import__(module)
        except ImportError:
            missing.append(module)
    if shutil.which("socat") is None:
        missing.append("socat")
    if missing:
        print("SKIPPED: the client test needs " + ", ".join(missing) +
              " (Debian: python3-pymeasure python3-pyvisa-py socat)")
        sys.exit(SKIP)


class Failures:
    def __init__(self):
        self.messages = []

    def check(self, ok, message):
        if not ok:
            self.messages.append(message)
            print("FAIL: " + message)

    def close(self, what, got, wanted, relative=1e-9):
        try:
            value = float(got)
        except (TypeError, ValueError):
            value = None
        ok = value is not None and (
            value == wanted if wanted == 0 else abs(value - wanted) <= abs(wanted) * relative)
        self.check(ok, "%s: got %r, wanted %r" % (what, got, wanted))


def start_bench(simbench, work):
    bench = subprocess.Popen([simbench, "--listen", "127.0.0.1:0", "--options", OPTIONS,
                              "--raw", "24=127.0.0.1:0"], stdout=subprocess.PIPE, text=True)
    port = int(bench.stdout.readline().strip().rsplit(":", 1)[1])
    raw_port = int(bench.stdout.readline().strip().rsplit(":", 1)[1])
    link = os.path.join(work, "gpib")
    bridge = subprocess.Popen(["socat", "PTY,link=%s,raw,echo=0" % link,
                               "TCP:127.0.0.1:%d,nodelay" % port], stderr=subprocess.DEVNULL)
    for _ in range(200):
        if os.path.exists(link):
            break
        time.sleep(0.02)
    return bench, bridge, port, raw_port, link


def drained(instrument, failures, doc, call):
    """Runs one driver call; the error queue must hold nothing afterwards."""
    result = call()
    reply = instrument.ask(":SYST:ERR?").strip()
    failures.check(reply.startswith("0,"), "error queue after %s: %s" % (doc, reply))
    return result


def keithley2400_flows(smu, failures):
    run = lambda doc, f: drained(smu, failures, doc, f)
    run("reset", smu.reset)
    failures.check("MODEL 2400" in smu.id, "identification: " + smu.id)
    run("apply_voltage", lambda: smu.apply_voltage(compliance_current=0.01))
    run("measure_current", lambda: smu.measure_current(nplc=1, current=1.05e-4))
    run("enable_source", smu.enable_source)
    for volts in (-5.0, -2.5, -0.1, 0.0, 0.25, 1.0, 4.75):
        run("source_voltage = %g" % volts, lambda: setattr(smu, "source_voltage", volts))
        failures.close("current at %g V" % volts, run("current", lambda: smu.current), volts / OHMS)
        failures.close("source_voltage read back", smu.source_voltage, volts)

    settings = [  # property, value set, value read back
        ("source_mode", "voltage", "voltage"), ("source_enabled", True, True),
        ("auto_output_off", True, True), ("auto_output_off", False, False),
        ("source_delay", 0.02, 0.02), ("source_delay_auto", True, True),
        ("auto_zero", False, False), ("auto_zero", True, True),
        ("measure_concurent_functions", False, False), ("current_range", 1.05e-3, 1.05e-3),
        ("current_nplc", 2, 2), ("compliance_current", 0.02, 0.02),
        ("source_voltage_range", 20, 20), ("voltage_range", 21, 21), ("voltage_nplc", 0.5, None),
        ("compliance_voltage", 15, 15), ("resistance_range", 2.1e4, 2.1e4),
        ("resistance_nplc", 5, 5), ("wires", 4, 4), ("wires", 2, 2), ("buffer_points", 100, 100),
        ("trigger_count", 3, 3), ("trigger_count", 1, 1), ("trigger_delay", 0.5, 0.5),
        ("filter_type", "MOV", "MOV"), ("filter_count", 20, 20), ("filter_state", "ON", 1),
        ("filter_state", "OFF", 0), ("output_off_state", "ZERO", "ZERO"),
        ("display_enabled", False, False), ("display_enabled", True, True),
    ]
    for name, value, expected in settings:
        run("%s = %r" % (name, value), lambda: setattr(smu, name, value))
        if expected is not None:  # the driver asks ":SENS:CURRVOLT:NPLC?" for voltage_nplc
            got = run(name, lambda: getattr(smu, name))
            failures.check(got == expected, "%s read back %r, wanted %r" % (name, got, expected))

    for doc, call in [("beep", lambda: smu.beep(1000, 0.05)),
                      ("use_rear_terminals", smu.use_rear_terminals),
                      ("use_front_terminals", smu.use_front_terminals),
                      ("trigger_on_bus", smu.trigger_on_bus), ("trigger", smu.trigger),
                      ("set_timed_arm", lambda: smu.set_timed_arm(0.5)),
                      ("set_trigger_counts", lambda: smu.set_trigger_counts(1, 1)),
                      ("sample_continuously", smu.sample_continuously),
                      # Keithley2400.status() is shadowed by the base class's *STB? property.
                      ("status queue", lambda: smu.ask("status:queue?;"))]:
        run(doc, call)

    smu.source_voltage = 2.0
    run("config_buffer", lambda: smu.config_buffer(points=4))
    run("start_buffer", smu.start_buffer)
    run("wait_for_buffer", lambda: smu.wait_for_buffer(timeout=5, interval=0.01))
    failures.check(smu.is_buffer_full(), "the buffer is full after start_buffer")
    data = run("buffer_data", lambda: smu.buffer_data)
    failures.check(len(data) == 4, "buffer holds %d readings, wanted 4" % len(data))
    for amps in data:
        failures.close("buffered current", amps, 2.0 / OHMS)
    # One element is formatted (CURR), so the driver hands back one number.
    failures.close("mean current", run("means", lambda: smu.means), 2.0 / OHMS)
    failures.close("standard deviation", run("standard_devs", lambda: smu.standard_devs), 0)
    failures.close("maximum current", run("maximums", lambda: smu.maximums), 2.0 / OHMS)
    run("reset_buffer", smu.reset_buffer)
    smu.trigger_count = 1

    run("apply_current", lambda: smu.apply_current(compliance_voltage=10))
    run("measure_voltage", lambda: smu.measure_voltage(nplc=1))
    for amps in (-2e-3, 1e-4, 5e-3):
        run("source_current = %g" % amps, lambda: setattr(smu, "source_current", amps))
        failures.close("voltage at %g A" % amps, run("voltage", lambda: smu.voltage), amps * OHMS,
                       1e-6)
    # RvsI's own commands: the driver itself stops at "self.connection.timeout", which its
    # Instrument does not have.
    for command in (":SENS:VOLT:PROT 10", ":SOUR:DEL 0.01", ":SOUR:CURR:RANG 0.006",
                    ":SOUR:SWE:RANG FIX", ":SOUR:CURR:MODE SWE", ":SOUR:SWE:SPAC LIN",
                    ":SOUR:CURR:STAR -0.005", ":SOUR:CURR:STOP 0.005", ":SOUR:CURR:STEP 0.001",
                    ":TRIG:COUN 11", ":SOUR:SWE:DIR UP"):
        run(command, lambda: smu.write(command))
    sweep = run("sweep :READ?", lambda: smu.values(":READ?"))
    failures.check(len(sweep) == 11, "the sweep gives %d readings, wanted 11" % len(sweep))
    for point, volts in enumerate(sweep):
        failures.close("sweep point %d" % point, volts, (point - 5) * 1e-3 * OHMS, 1e-6)
    run("back to a fixed source", lambda: smu.write(":SOUR:CURR:MODE FIX;:TRIG:COUN 1"))
    run("ramp_to_current", lambda: smu.ramp_to_current(0.0, steps=3, pause=0))
    run("shutdown", smu.shutdown)
    failures.check(smu.source_enabled is False, "the output is off after shutdown")


def keithley2000_flows(dmm, failures):
    run = lambda doc, f: drained(dmm, failures, doc, f)
    run("reset", dmm.reset)
    failures.check("MODEL 2000" in dmm.id, "identification: " + dmm.id)
    flows = [  # configure, mode read back, property, expected reading
        (lambda: dmm.measure_voltage(max_voltage=10), "voltage", "voltage", 0.0),
        (lambda: dmm.measure_voltage(max_voltage=100, ac=True), "voltage ac", "voltage", 0.0),
        (lambda: dmm.measure_current(max_current=0.1), "current", "current", 0.0),
        (lambda: dmm.measure_current(max_current=1, ac=True), "current ac", "current", 0.0),
        (lambda: dmm.measure_resistance(max_resistance=1e4), "resistance", "resistance", 9.9e37),
        (lambda: dmm.measure_resistance(1e5, wires=4), "resistance 4W", "resistance", 9.9e37),
        (dmm.measure_frequency, "frequency", "frequency", 0.0),
        (dmm.measure_period, "period", "period", 0.0),
        (dmm.measure_diode, "diode", None, None),
        (dmm.measure_continuity, "continuity", None, None),
        (dmm.measure_temperature, "temperature", "temperature", None),
    ]
    for configure, mode, reading, expected in flows:
        run("measure " + mode, configure)
        failures.check(dmm.mode == mode, "mode read back %r, wanted %r" % (dmm.mode, mode))
        if reading:
            got = run(reading, lambda: getattr(dmm, reading))
            if expected is not None:
                failures.close(mode + " reading", got, expected)
    run("close the reference channel", lambda: dmm.write(":ROUT:CLOS (@1)"))
    # *RST leaves the meter reading Celsius, as the driver expects.
    failures.close("reference temperature (C)", run("temperature", lambda: dmm.temperature),
                   295.0 - 273.15)

    settings = [
        ("voltage_range", 1, 1), ("voltage_reference", 1.5, 1.5), ("voltage_digits", 5, 5),
        ("voltage_nplc", 2, None), ("voltage_ac_range", 100, 100), ("voltage_ac_nplc", 2, 2),
        ("voltage_ac_digits", 6, 6), ("voltage_ac_bandwidth", 300, 300),
        ("voltage_ac_reference", -2, -2), ("current_range", 1, 1), ("current_reference", 0.5, 0.5),
        ("current_nplc", 5, 5), ("current_digits", 4, 4), ("current_ac_range", 3, 3),
        ("current_ac_reference", 1, 1), ("current_ac_nplc", 1, 1), ("current_ac_digits", 7, 7),
        ("current_ac_bandwidth", 3, 3), ("resistance_range", 1e6, 1e6),
        ("resistance_reference", 50, 50), ("resistance_nplc", 10, 10),
        ("resistance_digits", 6, 6), ("resistance_4W_range", 1e3, 1e3),
        ("resistance_4W_reference", 20, 20), ("resistance_4W_nplc", 0.1, 0.1),
        ("resistance_4W_digits", 5, 5), ("frequency_reference", 1e3, 1e3),
        ("frequency_digits", 4, 4), ("frequency_threshold", 100, 100),
        ("frequency_aperature", 0.1, 0.1), ("period_reference", 0.5, 0.5),
        ("period_digits", 6, 6), ("period_aperature", 0.5, 0.5),
        ("temperature_reference", 25, 25), ("temperature_nplc", 3, 3),
        ("temperature_digits", 6, 6), ("trigger_count", 7, 7), ("trigger_count", 1, 1),
        ("trigger_delay", 0.25, 0.25), ("beep_state", "disabled", "disabled"),
        ("beep_state", "enabled", "enabled"),
    ]
    for name, value, expected in settings:
        run("%s = %r" % (name, value), lambda: setattr(dmm, name, value))
        if expected is not None:  # the driver asks ":SENS:CURRVOLT:NPLC?" for voltage_nplc
            got = run(name, lambda: getattr(dmm, name))
            failures.check(got == expected, "%s read back %r, wanted %r" % (name, got, expected))

    dmm.measure_voltage(max_voltage=10)
    for doc, call in [("auto_range", dmm.auto_range), ("enable_reference", dmm.enable_reference),
                      ("acquire_reference", dmm.acquire_reference),
                      ("disable_reference", dmm.disable_reference),
                      ("disable_filter", dmm.disable_filter), ("remote", dmm.remote),
                      ("remote_lock", dmm.remote_lock), ("local", dmm.local),
                      ("beep", lambda: dmm.beep(2000, 0.05))]:
        run(doc, call)

    run("config_buffer", lambda: dmm.config_buffer(points=3))
    run("start_buffer", dmm.start_buffer)
    run("wait_for_buffer", lambda: dmm.wait_for_buffer(timeout=5, interval=0.01))
    data = run("buffer_data", lambda: dmm.buffer_data)
    failures.check(len(data) == 3, "buffer holds %d readings, wanted 3" % len(data))
    run("stop_buffer", dmm.stop_buffer)
    run("reset_buffer", dmm.reset_buffer)


def picoammeter_raw_session(port, smu, failures):
    import pyvisa

    manager = pyvisa.ResourceManager("@py")
    session = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % port, read_termination="\n",
                                    write_termination="\n", timeout=3000)
    for setup in ("++mode 1", "++auto 0", "++eoi 1", "++eos 2", "++addr 14"):
        session.write(setup)

    def ask(command):
        session.write(command)
        session.write("++read eoi")
        return session.read().strip()

    def send(command, query=False):
        reply = ask(command) if query else session.write(command)
        errors = ask("SYST:ERR?")
        failures.check(errors.startswith("0,"), "6485 error queue after %s: %s" % (command, errors))
        return reply

    smu.apply_voltage(compliance_current=0.01)
    smu.source_voltage = 1.5
    smu.enable_source()
    failures.check("MODEL 6485" in send("*IDN?", True), "6485 identification")
    for command in ("*RST", "SYST:ZCH ON", "CURR:RANG 2e-9", "INIT", "SYST:ZCOR:ACQ",
                    "SYST:ZCOR ON", "CURR:RANG:AUTO ON", "SYST:ZCH OFF", "FORM:ELEM READ",
                    "CONF:CURR", "CURR:NPLC 1", "SYST:AZER OFF"):
        send(command)
    exact = 1.5 / OHMS
    failures.close("MEAS?", float(send("MEAS?", True)), exact)
    send("INIT")
    failures.close("FETC?", float(send("FETC?", True)), exact)
    failures.close("READ?", float(send("READ?", True)), exact)
    send("TRIG:COUN 3")
    readings = send("READ?", True).split(",")
    failures.check(len(readings) == 3, "TRIG:COUN 3 gives %d readings" % len(readings))
    for value in readings:
        failures.close("triggered reading", float(value), exact)
    for command, expected in (("CONF?", '"CURR:DC"'), ("FORM:ELEM?", "READ"),
                              ("CURR:NPLC?", "+1.000000E+00"), ("SYST:ZCH?", "0"),
                              ("SYST:ZCOR?", "1"), ("SYST:AZER?", "0"), ("TRIG:COUN?", "3"),
                              ("CURR:RANG:AUTO?", "1")):
        got = send(command, True)
        failures.check(got == expected, "%s answered %r, wanted %r" % (command, got, expected))
    send("CURR:RANG 2mA")
    failures.check(send("CURR:RANG?", True) == "+2.000000E-03", "CURR:RANG 2mA read back")
    failures.check(send("CURR:RANG:AUTO?", True) == "0", "a fixed range ends auto range")
    session.write("++spoll")
    failures.check(session.read().strip() == "0", "the 6485 requests no service")
    session.close()
    smu.shutdown()


def smu_raw_session(raw_port, failures):
    """A lab script's I-V sweep with a compliance check, on the 2400's raw port: no controller
    commands, the replies come by themselves."""
    import pyvisa

    manager = pyvisa.ResourceManager("@py")
    smu = manager.open_resource("TCPIP::127.0.0.1::%d::SOCKET" % raw_port, read_termination="\n",
                                write_termination="\n", timeout=3000)

    def errors():
        return smu.query(":SYST:ERR?").strip()

    failures.check("MODEL 2400" in smu.query("*IDN?"), "2400 identification on the raw port")
    smu.write("*RST;*CLS")
    smu.write(":READ?")  # the output is off: no reading comes, an error is queued
    failures.check(errors() == '+803,"Not permitted with OUTPUT off"', "READ? with the output off")
    for command in (":SOUR:FUNC VOLT", ":SOUR:VOLT:RANG 20", ":SENS:FUNC 'CURR'",
                    ":SENS:CURR:PROT 1e-3", ":FORM:ELEM VOLT,CURR,STAT", ":OUTP ON"):
        smu.write(command)
        failures.check(errors().startswith("0,"), "2400 error queue after " + command)
    for volts in (-2.0, -1.0, -0.5, 0.0, 0.5, 1.0, 2.0):
        smu.write(":SOUR:VOLT:LEV %g" % volts)
        measured, amps, status = smu.query_ascii_values(":READ?")
        clipped = abs(volts) / OHMS > 1e-3
        failures.close("raw-port current at %g V" % volts, amps,
                       (1e-3 if volts > 0 else -1e-3) if clipped else volts / OHMS)
        tripped = smu.query(":SENS:CURR:PROT:TRIP?").strip()
        failures.check(tripped == ("1" if clipped else "0"), "TRIP? at %g V: %s" % (volts, tripped))
        failures.check(bool(int(status) & 8) == clipped, "status bit 3 at %g V" % volts)
        condition = int(smu.query(":STAT:MEAS:COND?"))
        failures.check(bool(condition & 16384) == clipped, "condition bit 14 at %g V" % volts)
    smu.write(":OUTP OFF")
    failures.check(errors().startswith("0,"), "2400 error queue after the sweep")
    smu.close()


def main():
    skip_unless_clients_installed()
    from pymeasure.adapters import PrologixAdapter
    from pymeasure.instruments.keithley import Keithley2000, Keithley2400

    failures = Failures()
    with tempfile.TemporaryDirectory() as work:
        bench, bridge, port, raw_port, link = start_bench(sys.argv[1], work)
        try:
            adapter = PrologixAdapter(link, serial_timeout=0.1)
            smu = Keithley2400(adapter.gpib(24))
            keithley2400_flows(smu, failures)
            # Every adapter closes the shared port when it goes: keep them all until the end.
            dmm = Keithley2000(adapter.gpib(16))
            keithley2000_flows(dmm, failures)
            picoammeter_raw_session(port, smu, failures)
            smu_raw_session(raw_port, failures)
        finally:
            bridge.kill()
            bench.kill()
    if failures.messages:
        print("%d failure(s)" % len(failures.messages))
        return 1
    print("all client flows passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
