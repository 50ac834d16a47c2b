// SPDX-License-Identifier: GPL-3.0-or-later
#include <QByteArray>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "FrqFileText.h"
#include "TempFileText.h"
#include "lcr/FreqSweep.h"
#include "thermo/ThermoRecord.h"

using namespace tarvix;

// Any bytes as a .temp record and as a .frq log, as tarvix-convert reads them: the reads stay
// inside the tables, and what they accept has counts the tidy writers can trust.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto record = std::make_unique<thermo::ThermoRecord>();
    static const auto sweep = std::make_unique<lcr::FreqSweep>();
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const convert::TempFileRead temp = convert::readTempFile(bytes, *record);
    if (record->thermoCount < 0 || record->thermoCount > thermo::ThermoRecord::kMaxSamples) {
        __builtin_trap();
    }
    for (int s = 1; temp.error.isEmpty() && s <= record->thermoCount; ++s) {
        if (!(record->thermoTime[s] >= 0 && record->thermoTime[s] < 1)) {
            __builtin_trap();
        }
    }
    const QString frq = convert::readFrqFile(bytes, *sweep);
    if (sweep->sweepCount < 0 || sweep->sweepCount > lcr::kSweepCapacity) {
        __builtin_trap();
    }
    for (int i = 1; frq.isEmpty() && i <= sweep->sweepCount; ++i) {
        if (!std::isfinite(sweep->sweepFreq[i])) {
            __builtin_trap();
        }
    }
    return 0;
}
