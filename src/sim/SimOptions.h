// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <set>

namespace tarvix::sim {

enum class SmuModel { k2400, k2410, k2636A };

// The cryostat's temperature program: from `startKelvin` towards `endKelvin` at
// `kelvinPerMinute`, then holding at the end.
struct TemperatureProgram {
    double startKelvin = 295.0;
    double endKelvin = 295.0;
    double kelvinPerMinute = 0.0;

    double temperatureAfter(double seconds) const;
};

// A parallel RC network: resistance in ohms, capacitance in farads.
struct ParallelRcValues {
    double ohms = 0.0;
    double farads = 0.0;
};

// A thermally activated sample: I = V/R0 · exp(−Ea/kT) at the cryostat's temperature.
struct ActivatedValues {
    double activationEv = 0.0;
    double ohmsAtInfinity = 0.0;  // R0
};

// Everything the text after "sim:" can say about the bench.
struct SimOptions {
    SmuModel smu = SmuModel::k2400;
    std::set<int> absent;                      // addresses whose instruments do not answer at all
    std::set<int> failSend;                    // addresses whose every send fails
    std::set<int> failEnter;                   // addresses whose every enter fails
    double noiseScale = 1.0;                   // 0: noise-free, repeatable readings
    std::uint64_t seed = 7600;                 // seed of the noise generator
    int latencyMs = 2;                         // duration of every send and enter
    std::optional<double> resistorOhms;        // an ohmic I-V sample instead of the nonlinear one
    std::optional<ActivatedValues> activated;  // a thermally activated I-V sample instead
    TemperatureProgram temperature;
    std::optional<ParallelRcValues> lcr;  // the LCR meter's device instead of the cryostat's
    bool currentThroughSample = false;    // a current source drives the I-V sample, not the
                                          // cryostat's four-probe sample

    int smuAddress() const { return smu == SmuModel::k2636A ? 26 : 24; }
};

// Parses comma-separated name=value items: smu=2400|2410|2636A, absent=A/B/..., noise=SCALE,
// seed=N, latency=MS, fail=send:A, fail=enter:A, sample=resistor:OHMS|activated:EA_EV/R0|nonlinear,
// temp=KELVIN or temp=START..END@K_PER_MIN, lcr=rc:OHMS/FARADS, isource=sample|cryostat.
// Returns nothing and sets
// `error` (naming the offending item) for anything else.
std::optional<SimOptions> parseSimOptions(const QString& text, QString* error);

}  // namespace tarvix::sim
