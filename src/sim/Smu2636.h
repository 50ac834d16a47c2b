// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "sim/ErrorQueue.h"
#include "sim/ReadingBuffer.h"
#include "sim/ScpiCommandTable.h"
#include "sim/ScpiStatus.h"
#include "sim/SimEnvironment.h"
#include "sim/SimInstrument.h"
#include "sim/SourceUnit.h"
#include "sim/TspInterpreter.h"
#include "sim/TspNode.h"

namespace tarvix::sim {

// The 2636A source-measure unit (channel A), spoken to in TSP: every message is Lua, run in
// the instrument's one script state, besides the common commands such as "*IDN?", "*STB?"
// and "*ESR?". "print(smua.measure.i())" queues "1.00000e-06". Sourcing volts it drives the
// I-V sample, sourcing amps the cryostat sample (or the I-V sample with isource=sample).
// reset() restores the settings and keeps the script's variables; "*RST" starts the script
// state afresh as well.
class Smu2636 : public SimInstrument, public SourceUnit {
  public:
    explicit Smu2636(SimEnvironment& environment, LuaSandbox::Limits limits = {});

    std::string identification() const override;
    double ivSampleCurrent() const override;

    bool outputOn() const { return tsp_.value("smua.source.output") != 0.0; }
    double voltageLevel() const { return tsp_.value("smua.source.levelv"); }
    ErrorQueue& errorQueue() { return errors_; }
    int statusByte() const override { return status_.statusByte(); }
    void inputOverrun() override { errors_.push(errors::kInputOverrun); }

  protected:
    void execute(std::string_view message) override;

  private:
    struct Reading {
        double volts = 0.0;
        double amps = 0.0;
        bool compliance = false;
    };

    void addAttributes();
    void addMeasureFunctions();
    void addCommonCommands();
    std::string runCommon(std::string_view message);
    void reset();
    bool sourcingVolts() const;
    Reading idealReading() const;
    Reading measure();
    // smua.measure.i(buffer) and its kin: smua.measure.count readings, the last returned.
    TspValues measureInto(ReadingBuffer::Quantity quantity, const TspValues& arguments,
                          const char* function);
    void store(ReadingBuffer& buffer, ReadingBuffer::Quantity quantity, const Reading& reading);

    SimEnvironment& environment_;
    ErrorQueue errors_;
    ScpiStatus status_;
    ScpiCommandTable common_;
    TspInterpreter tsp_;
    TspNode node_;
    ReadingBuffer buffer1_;
    ReadingBuffer buffer2_;
};

}  // namespace tarvix::sim
