#pragma once

#include <string>

#include "sim/ErrorQueue.h"
#include "sim/ScpiCommandTable.h"
#include "sim/ScpiStatus.h"
#include "sim/SimEnvironment.h"
#include "sim/SimInstrument.h"
#include "sim/SourceUnit.h"
#include "sim/TspInterpreter.h"

namespace tarvix::sim {

// The 2636A source-measure unit, spoken to in TSP lines (channel A; it also takes the
// common commands such as "*IDN?", "*STB?" and "*ESR?"). "print(smua.measure.i())" queues
// "1.00000e-06". Sourcing volts it drives the I-V sample, sourcing amps the cryostat sample
// (or the I-V sample with isource=sample).
class Smu2636 : public SimInstrument, public SourceUnit {
  public:
    explicit Smu2636(SimEnvironment& environment);

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
    };

    void addAttributes();
    void addFunctions();
    void addCommonCommands();
    void reset();
    bool sourcingVolts() const;
    Reading idealReading() const;
    Reading measure();

    SimEnvironment& environment_;
    TspInterpreter tsp_;
    ScpiCommandTable common_;
    ErrorQueue errors_;
    ScpiStatus status_;
};

}  // namespace tarvix::sim
