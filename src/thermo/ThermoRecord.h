// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

#include "thermo/ThermoRecordObserver.h"

namespace tarvix::thermo {

// The resistance-versus-temperature record. Sample k lives at index k (1 to thermoCount);
// index 0 is never written. The five tables are about 4 MB together: create the record once
// (std::make_unique) and keep it for the program's life, so no sample ever allocates.
//
// What the tables hold depends on the procedure that filled them:
//   four-probe run:   thermoTemp = sample temperature (deg C), thermoResistance = ohms
//   thermocouple loop: thermoTemp = thermocouple volts, thermoRefTemp = reference K,
//                      thermoTcTemp = thermocouple K
// thermoTime is the time of day of the sample as a fraction of a day in both cases.
// A reading that could not be taken is stored as NaN ("missing").
struct ThermoRecord {
    static constexpr int kMaxSamples = 100000;
    using Table = std::array<double, kMaxSamples + 1>;

    int thermoCount = 0;
    Table thermoTemp{};
    Table thermoRefTemp{};
    Table thermoTcTemp{};
    Table thermoResistance{};
    Table thermoTime{};

    ThermoRunKind filledBy = ThermoRunKind::None;
    ThermoRecordObserver* observer = nullptr;

    // A procedure empties the record for its run.
    void startRun(ThermoRunKind kind) {
        thermoCount = 0;
        filledBy = kind;
        if (observer) {
            observer->runStarted(kind);
        }
    }
    // A procedure has written every table of `sample`.
    void sampleStored(int sample) {
        if (observer) {
            observer->sampleStored(sample);
        }
    }
    void savedTo(const QString& file) {
        if (observer) {
            observer->recordSaved(file);
        }
    }
};

}  // namespace tarvix::thermo
