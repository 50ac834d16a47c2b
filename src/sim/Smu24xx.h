// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "sim/ScpiAcquisition.h"
#include "sim/ScpiInstrument.h"
#include "sim/SimEnvironment.h"
#include "sim/SimOptions.h"
#include "sim/SourceSweep.h"
#include "sim/SourceUnit.h"

namespace tarvix::sim {

// The 2400 and 2410 source-measure units, spoken to in SCPI. Sourcing voltage they drive
// the I-V sample; sourcing current they drive the cryostat sample (the four-probe set-up),
// or the I-V sample with isource=sample; with the "RES" function on in auto-ohms mode and a
// voltage source they work as an ohmmeter on the I-V sample. :READ? answers the elements
// chosen by :FORMat:ELEMents, each like "+1.000000E-06", separated by commas, in the order
// VOLT, CURR, RES, TIME, STAT, once for every reading the trigger counts ask for; a source
// in SWEep mode steps through its sweep from one reading to the next. Readings need the
// output on: otherwise READ? and INITiate queue +803 and take none, unless auto output-off
// (:SOUR:CLE:AUTO ON) switches it on for them. The source's compliance shows in the status
// word, in :SENS:<function>:PROT:TRIP? and in bit 14 of the measurement registers.
class Smu24xx : public ScpiInstrument, public SourceUnit {
  public:
    Smu24xx(SmuModel model, SimEnvironment& environment);

    std::string identification() const override;
    double ivSampleCurrent() const override;
    void trigger() override { acquisition_->trigger(); }

    bool outputOn() const { return output_; }
    bool sourcingVoltage() const { return source_ == Source::Voltage; }
    double voltageLevel() const { return voltage_.level; }
    double currentLevel() const { return current_.level; }

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

    // What one source level node ("VOLTage", "CURRent") keeps.
    struct SourceLevel {
        std::vector<double> ranges;
        double range = 0.0;
        double level = 0.0;
        int mode = 0;
        bool autoRange = false;
        std::string unit;
    };

    void addSourceCommands();
    void addSourceLevelCommands(const char* node, SourceLevel* source);
    void addSenseCommands();
    void addSenseSettings();
    void addOutputCommands();
    void addSystemSettings();
    void addConfigureCommands();
    void addStatisticsCommands();
    void configure(int function);

    bool inCompliance() const;
    Reading idealReading() const;
    Reading voltageSourceReading() const;
    Reading currentSourceReading() const;
    Reading measure();
    ScpiAcquisition::Reading record();
    void beginAcquisition();
    int statusWord(bool compliance) const;
    std::string readingText(const ScpiAcquisition::Reading& record) const;
    static double rangeFor(const std::vector<double>& ranges, double value);

    SmuModel model_;
    SimEnvironment& environment_;
    double maxCompliance_[2] = {0.0, 0.0};  // volts, amps

    Source source_ = Source::Voltage;
    bool output_ = false;
    bool remoteSense_ = false;
    SourceLevel voltage_;
    SourceLevel current_;
    double currentCompliance_ = 105e-6;
    double voltageCompliance_ = 21.0;
    std::array<bool, kFunctionCount> functions_{};
    std::array<bool, kElementCount> elements_{};
    bool autoZero_ = true;
    int* resistanceMode_ = nullptr;  // 0 manual, 1 auto-ohms
    bool* offsetCompensated_ = nullptr;
    bool* filter_ = nullptr;
    int* rearTerminals_ = nullptr;  // 0 front, 1 rear
    bool* autoClear_ = nullptr;     // auto output-off
    int* statistic_ = nullptr;
    double resetSeconds_ = 0.0;
    SourceSweep sweep_;
    int sweepPoint_ = 0;
    std::unique_ptr<ScpiAcquisition> acquisition_;
};

}  // namespace tarvix::sim
