#pragma once

#include <array>
#include <string>
#include <vector>

#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"
#include "sim/SimOptions.h"
#include "sim/SourceUnit.h"

namespace tarvix::sim {

// The 2400 and 2410 source-measure units, spoken to in SCPI. Sourcing voltage they drive
// the I-V sample; sourcing current they drive the cryostat sample (the four-probe set-up);
// with the "RES" function on and a voltage source they work as an auto-ohms meter on the
// I-V sample. :READ? answers the elements chosen by :FORMat:ELEMents, each like
// "+1.000000E-06", separated by commas, in the order VOLT, CURR, RES, TIME, STAT.
class Smu24xx : public ScpiInstrument, public SourceUnit {
  public:
    Smu24xx(SmuModel model, SimEnvironment& environment);

    std::string identification() const override;
    double ivSampleCurrent() const override;

    bool outputOn() const { return output_; }
    bool sourcingVoltage() const { return source_ == Source::Voltage; }
    double voltageLevel() const { return voltageLevel_; }
    double currentLevel() const { return currentLevel_; }

  protected:
    void reset() override;

  private:
    enum class Source { Voltage, Current };
    enum Element { kVolt, kCurr, kRes, kTime, kStat, kElementCount };
    enum Function { kFunctionVolt, kFunctionCurr, kFunctionRes, kFunctionCount };

    struct Reading {
        double volts = 0.0;
        double amps = 0.0;
        double ohms = 0.0;
        bool compliance = false;
    };

    void addSourceCommands();
    void addSourceLevelCommands(const char* node, std::vector<double>* ranges, double* range,
                                double* level, int* mode);
    void addSenseCommands();
    void addOutputCommands();

    Reading idealReading() const;
    Reading voltageSourceReading() const;
    Reading currentSourceReading() const;
    Reading measure();
    std::string readingText(const Reading& reading) const;
    static double rangeFor(const std::vector<double>& ranges, double value);

    SmuModel model_;
    SimEnvironment& environment_;
    std::vector<double> voltageRanges_;
    std::vector<double> currentRanges_;
    double maxCompliance_[2] = {0.0, 0.0};  // volts, amps

    Source source_ = Source::Voltage;
    bool output_ = false;
    bool remoteSense_ = false;
    double voltageRange_ = 20.0;
    double voltageLevel_ = 0.0;
    int voltageMode_ = 0;
    double currentRange_ = 1e-4;
    double currentLevel_ = 0.0;
    int currentMode_ = 0;
    double currentCompliance_ = 105e-6;
    double voltageCompliance_ = 21.0;
    std::array<bool, kFunctionCount> functions_{};
    std::array<bool, kElementCount> elements_{};
    double resetSeconds_ = 0.0;
};

}  // namespace tarvix::sim
