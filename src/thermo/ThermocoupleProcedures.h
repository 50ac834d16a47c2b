#pragma once

#include "thermo/ThermoBusLink.h"
#include "thermo/ThermoHost.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::thermo {

// Start_d: records the thermocouple alone (its voltage on channel 7, the reference
// temperature and the temperature computed from them), one sample every 5 s, inside the
// click, until Stop is seen or the record is full.
void runThermocoupleLoop(ThermoBusLink& link, ThermoRecord& record, ThermoHost& host);

// Termo: 300 readings of the multimeter's own type-K function on channel 2, shown one by
// one; ends at the first bus failure.
void runThermocoupleTest(ThermoBusLink& link, ThermoHost& host);

}  // namespace tarvix::thermo
