// SPDX-License-Identifier: GPL-3.0-or-later
#include "buses/SimDeviceControl.h"

namespace tarvix::buses {

std::optional<int> SimDeviceControl::serialPoll(int address) {
    sim::SimInstrument* instrument = bench_.instrument(address);
    if (!instrument) {
        return std::nullopt;
    }
    return instrument->serialPoll();
}

bool SimDeviceControl::serviceRequest() {
    for (const int address : bench_.addresses()) {
        if (bench_.instrument(address)->requestingService()) {
            return true;
        }
    }
    return false;
}

void SimDeviceControl::deviceClear(int address) {
    if (sim::SimInstrument* instrument = bench_.instrument(address)) {
        instrument->deviceClear();
    }
}

void SimDeviceControl::trigger(int address) {
    if (sim::SimInstrument* instrument = bench_.instrument(address)) {
        instrument->trigger();
    }
}

void SimDeviceControl::inputOverrun(int address) {
    if (sim::SimInstrument* instrument = bench_.instrument(address)) {
        instrument->inputOverrun();
    }
}

}  // namespace tarvix::buses
