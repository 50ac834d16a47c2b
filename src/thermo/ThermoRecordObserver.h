// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::thermo {

// Which procedure filled the record: the tables mean different things after each.
enum class ThermoRunKind { None, FourProbe, Thermocouple };

// Told of every sample a procedure stores in the record, so that a recovery journal can keep
// it without the acquisition code knowing about it.
class ThermoRecordObserver {
  public:
    virtual ~ThermoRecordObserver() = default;
    // The record was emptied for a new run of `kind`.
    virtual void runStarted(ThermoRunKind kind) = 0;
    // Sample `sample` (1..thermoCount) was just written in full.
    virtual void sampleStored(int sample) = 0;
    // The record was written to `file`.
    virtual void recordSaved(const QString& file) = 0;
};

}  // namespace tarvix::thermo
