// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "thermo/ThermoBusLink.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// One reading of the thermocouple as Start_d takes it: its voltage on channel 7, the reference
// temperature on channel 1 and the temperature in kelvin computed from them; a part whose
// exchanges failed is missing (NaN), and `fault` names the first failed exchange.
struct ThermocoupleSample {
    double volts = 0;
    double referenceK = 0;
    double kelvin = 0;
    std::optional<bus::ExchangeFault> fault;
};

// The multimeter's set-up for thermocouple readings (after its "*RST"); false when an
// exchange failed (link.fault() says which).
bool setUpThermocouple(ThermoBusLink& link);
ThermocoupleSample readThermocouple(ThermoBusLink& link);

// Start_d: records the thermocouple alone (its voltage on channel 7, the reference
// temperature and the temperature computed from them), one sample every 5 s, inside the
// click, until Stop is seen or the record is full.
void runThermocoupleLoop(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host);

// Termo: 300 readings of the multimeter's own type-K function on channel 2, shown one by
// one; ends at the first bus failure.
void runThermocoupleTest(ThermoBusLink& link, ThermoHost& host);

}  // namespace tarvix::thermo
