// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Smu24xx.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

// The instruments accept levels and ranges up to 5 % beyond a range's nominal value.
constexpr double kOverRange = 1.05;
constexpr int kBufferCapacity = 2500;
constexpr std::string_view kFunctionPaths[] = {"VOLTage[:DC]", "CURRent[:DC]", "RESistance"};
constexpr const char* kFunctionNames[] = {"\"VOLT:DC\"", "\"CURR:DC\"", "\"RES\""};

std::string number(double value) {
    return readingText::signedExponent(value, 6);
}

std::vector<double> fullScale(const std::vector<double>& ranges) {
    std::vector<double> steps;
    for (const double range : ranges) {
        steps.push_back(range * kOverRange);
    }
    return steps;
}

}  // namespace

Smu24xx::Smu24xx(SmuModel model, SimEnvironment& environment)
    : model_(model), environment_(environment) {
    const bool is2410 = model == SmuModel::k2410;
    voltage_.ranges = {0.2, 2.0, 20.0, is2410 ? 1000.0 : 200.0};
    voltage_.unit = "V";
    current_.ranges = {1e-6, 1e-5, 1e-4, 1e-3, is2410 ? 2e-2 : 1e-2, 1e-1, 1.0};
    current_.unit = "A";
    maxCompliance_[0] = is2410 ? 1100.0 : 210.0;
    maxCompliance_[1] = 1.05;
    addSenseCommands();
    addSenseSettings();
    addSourceCommands();
    addOutputCommands();
    addSystemSettings();
    addConfigureCommands();
    sweep_.addCommands(commands(), settings(),
                       {voltage_.ranges.back() * kOverRange, current_.ranges.back() * kOverRange});
    acquisition_ = std::make_unique<ScpiAcquisition>(
        commands(), settings(), status(),
        ScpiAcquisition::Hooks{[this] { return record(); },
                               [this](const ScpiAcquisition::Reading& r) { return readingText(r); },
                               [this] { beginAcquisition(); },
                               [this] { output_ = output_ && !*autoClear_; },
                               [this] { return output_ || *autoClear_ ? 0 : errors::kOutputOff; }},
        kBufferCapacity);
    addStatisticsCommands();
    reset();
    status().setMeasurementCondition(
        [this] { return inCompliance() ? ScpiStatus::kCompliance : 0; });
}

std::string Smu24xx::identification() const {
    if (model_ == SmuModel::k2410) {
        return "KEITHLEY INSTRUMENTS INC.,MODEL 2410,1191737,C34   Sep 21 2010 14:08:35/A02  /K/J";
    }
    return "KEITHLEY INSTRUMENTS INC.,MODEL 2400,1248014,C30   Mar 17 2006 09:29:29/A02  /K/J";
}

void Smu24xx::reset() {
    source_ = Source::Voltage;
    output_ = false;
    remoteSense_ = false;
    voltage_.range = 20.0;
    voltage_.level = 0.0;
    voltage_.mode = 0;
    voltage_.autoRange = false;
    current_.range = 1e-4;
    current_.level = 0.0;
    current_.mode = 0;
    current_.autoRange = false;
    currentCompliance_ = 105e-6;
    voltageCompliance_ = 21.0;
    functions_ = {false, true, false};
    elements_.fill(true);
    autoZero_ = true;
    sweep_.reset();
    resetSeconds_ = environment_.now();
    if (acquisition_) {
        acquisition_->reset();
    }
}

void Smu24xx::addSourceCommands() {
    commands().add(
        ":SOURce:FUNCtion[:MODE]",
        [this](ScpiCall& call) {
            if (const auto choice = call.choice(0, {"VOLTage", "CURRent"})) {
                source_ = *choice == 0 ? Source::Voltage : Source::Current;
            }
        },
        [this](ScpiCall& call) { call.reply(sourcingVoltage() ? "VOLT" : "CURR"); });
    addSourceLevelCommands("VOLTage", &voltage_);
    addSourceLevelCommands("CURRent", &current_);
    commands().addCommand("[:SOURce]:CLEar[:IMMediate]", [this](ScpiCall&) { output_ = false; });
    autoClear_ = &settings().flag("[:SOURce]:CLEar:AUTO", false);
    settings().choice("[:SOURce]:CLEar:AUTO:MODE", {"ALWays", "TCOunt"}, 0);
    bool& autoDelay = settings().flag("[:SOURce]:DELay:AUTO", true);
    settings().number({"[:SOURce]:DELay", 0.0, 999.9999, 0.0, "S", {}, &autoDelay});
}

void Smu24xx::addSourceLevelCommands(const char* node, SourceLevel* source) {
    const std::string prefix = std::string("[:SOURce]:") + node;
    commands().add(
        prefix + ":MODE",
        [source](ScpiCall& call) {
            if (const auto choice = call.choice(0, {"FIXed", "LIST", "SWEep"})) {
                source->mode = *choice;
            }
        },
        [source](ScpiCall& call) {
            call.reply(source->mode == 0 ? "FIX" : (source->mode == 1 ? "LIST" : "SWE"));
        });
    commands().add(
        prefix + ":RANGe[:UPPer]",
        [source](ScpiCall& call) {
            const double top = source->ranges.back() * kOverRange;
            if (const auto value = call.number(0, -top, top, source->ranges.back(), source->unit)) {
                source->range = rangeFor(source->ranges, std::abs(*value));
                source->autoRange = false;
            }
        },
        [source](ScpiCall& call) { call.reply(number(source->range)); });
    commands().add(
        prefix + ":RANGe:AUTO",
        [source](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                source->autoRange = *on;
                source->range =
                    *on ? rangeFor(source->ranges, std::abs(source->level)) : source->range;
            }
        },
        [source](ScpiCall& call) { call.reply(source->autoRange ? "1" : "0"); });
    commands().add(
        prefix + "[:LEVel][:IMMediate][:AMPLitude]",
        [source](ScpiCall& call) {
            const double top = source->autoRange ? source->ranges.back() : source->range;
            const double limit = top * kOverRange;
            if (const auto value = call.number(0, -limit, limit, 0.0, source->unit)) {
                source->level = *value;
                if (source->autoRange) {
                    source->range = rangeFor(source->ranges, std::abs(*value));
                }
            }
        },
        [source](ScpiCall& call) { call.reply(number(source->level)); });
}

void Smu24xx::addSenseCommands() {
    const auto functionSetter = [this](bool on) {
        return [this, on](ScpiCall& call) {
            for (std::size_t i = 0; i < call.count(); ++i) {
                const auto function = call.quotedChoice(i, kFunctionPaths);
                if (!function) {
                    return;
                }
                functions_[static_cast<std::size_t>(*function)] = on;
            }
        };
    };
    const auto functionList = [this](ScpiCall& call) {
        // Appended piece by piece: a concatenated temporary draws a false -Wrestrict from
        // GCC 12 at -O3.
        std::string list;
        for (std::size_t i = 0; i < functions_.size(); ++i) {
            if (functions_[i]) {
                list += list.empty() ? "" : ",";
                list += kFunctionNames[i];
            }
        }
        call.reply(list);
    };
    commands().add("[:SENSe]:FUNCtion[:ON]", functionSetter(true), functionList, 1, kFunctionCount);
    commands().add("[:SENSe]:FUNCtion:OFF", functionSetter(false), {}, 1, kFunctionCount);
    commands().addCommand("[:SENSe]:FUNCtion:OFF:ALL",
                          [this](ScpiCall&) { functions_.fill(false); });
    const auto protection = [this](double* limit, int which) {
        commands().add(
            which == 0 ? "[:SENSe]:VOLTage[:DC]:PROTection[:LEVel]"
                       : "[:SENSe]:CURRent[:DC]:PROTection[:LEVel]",
            [this, limit, which](ScpiCall& call) {
                const double max = maxCompliance_[which];
                if (const auto value = call.number(0, -max, max, which == 0 ? 21.0 : 105e-6,
                                                   which == 0 ? "V" : "A")) {
                    *limit = std::abs(*value);
                }
            },
            [limit](ScpiCall& call) { call.reply(number(*limit)); });
        // A current limit clips the voltage source, a voltage limit the current source.
        const Source clipped = which == 0 ? Source::Current : Source::Voltage;
        commands().addQuery(which == 0 ? "[:SENSe]:VOLTage[:DC]:PROTection:TRIPped"
                                       : "[:SENSe]:CURRent[:DC]:PROTection:TRIPped",
                            [this, clipped](ScpiCall& call) {
                                call.reply(source_ == clipped && inCompliance() ? "1" : "0");
                            });
    };
    protection(&voltageCompliance_, 0);
    protection(&currentCompliance_, 1);
}

// Ranges, integration times and filters that change nothing in a simulated reading.
void Smu24xx::addSenseSettings() {
    struct SenseNode {
        const char* node;
        std::vector<double> steps;
        double initial;
        const char* unit;
    };
    const SenseNode nodes[] = {
        {"[:SENSe]:VOLTage[:DC]", fullScale(voltage_.ranges), 21.0, "V"},
        {"[:SENSe]:CURRent[:DC]", fullScale(current_.ranges), 1.05e-4, "A"},
        {"[:SENSe]:RESistance",
         {2.1, 21, 210, 2.1e3, 2.1e4, 2.1e5, 2.1e6, 2.1e7, 2.1e8},
         2.1e5,
         "OHM"},
    };
    for (const SenseNode& sense : nodes) {
        const std::string node(sense.node);
        const double top = sense.steps.back();
        const double bottom = node.find("RES") != std::string::npos ? 0.0 : -top;
        bool& autoRange = settings().flag(node + ":RANGe:AUTO", true);
        settings().number({node + ":RANGe[:UPPer]", bottom, top, sense.initial, sense.unit,
                           sense.steps, &autoRange});
        settings().number({node + ":NPLCycles", 0.01, 10.0, 1.0});
    }
    resistanceMode_ = &settings().choice("[:SENSe]:RESistance:MODE", {"MANual", "AUTO"}, 1);
    offsetCompensated_ = &settings().flag("[:SENSe]:RESistance:OCOMpensated", false);
    settings().flag("[:SENSe]:FUNCtion:CONCurrent", true);
    filter_ = &settings().flag("[:SENSe]:AVERage[:STATe]", false);
    settings().choice("[:SENSe]:AVERage:TCONtrol", {"REPeat", "MOVing"}, 0);
    settings().integer("[:SENSe]:AVERage:COUNt", 1, 100, 10);
}

void Smu24xx::addOutputCommands() {
    static constexpr std::string_view kElements[] = {"VOLTage", "CURRent", "RESistance", "TIME",
                                                     "STATus"};
    commands().add(
        ":FORMat:ELEMents[:SENSe]",
        [this](ScpiCall& call) {
            std::array<bool, kElementCount> chosen{};
            for (std::size_t i = 0; i < call.count(); ++i) {
                const auto element = call.choice(i, kElements);
                if (!element) {
                    return;
                }
                chosen[static_cast<std::size_t>(*element)] = true;
            }
            elements_ = chosen;
        },
        [this](ScpiCall& call) {
            static const char* const names[] = {"VOLT", "CURR", "RES", "TIME", "STAT"};
            std::string list;
            for (std::size_t i = 0; i < elements_.size(); ++i) {
                if (elements_[i]) {
                    list += list.empty() ? "" : ",";
                    list += names[i];
                }
            }
            call.reply(list);
        },
        1, kElementCount);
    commands().add(
        ":OUTPut[:STATe]",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                output_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(output_ ? "1" : "0"); });
    settings().choice(":OUTPut:SMODe", {"HIMPedance", "NORMal", "ZERO", "GUARd"}, 1);
}

void Smu24xx::addSystemSettings() {
    commands().add(
        ":SYSTem:RSENse",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                remoteSense_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(remoteSense_ ? "1" : "0"); });
    commands().add(
        ":SYSTem:AZERo[:STATe]",
        [this](ScpiCall& call) {
            if (call.count() == 1 && ScpiPattern("ONCE").matchesPath(call.parameter(0))) {
                return;  // one refresh of the references: nothing to keep
            }
            if (const auto on = call.boolean(0)) {
                autoZero_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(autoZero_ ? "1" : "0"); });
    rearTerminals_ = &settings().choice(":ROUTe:TERMinals", {"FRONt", "REAR"}, 0);
}

void Smu24xx::addConfigureCommands() {
    for (int function = 0; function < kFunctionCount; ++function) {
        const std::string path(kFunctionPaths[function]);
        commands().addCommand(":CONFigure:" + path,
                              [this, function](ScpiCall&) { configure(function); });
        commands().addQuery(":MEASure:" + path, [this, function](ScpiCall& call) {
            configure(function);
            acquisition_->read(call);
        });
    }
    commands().addQuery(":CONFigure", [this](ScpiCall& call) {
        std::string list;
        for (std::size_t i = 0; i < functions_.size(); ++i) {
            if (functions_[i]) {
                list += (list.empty() ? "" : ",") + std::string(kFunctionNames[i]);
            }
        }
        call.reply(list);
    });
    commands().addQuery(":MEASure", [this](ScpiCall& call) {
        output_ = true;
        acquisition_->read(call);
    });
}

// CONFigure:<function> leaves that one function on and switches the output on, as the
// manual says.
void Smu24xx::configure(int function) {
    functions_.fill(false);
    functions_[static_cast<std::size_t>(function)] = true;
    output_ = true;
}

void Smu24xx::addStatisticsCommands() {
    statistic_ = &settings().choice(":CALCulate3:FORMat",
                                    {"MEAN", "SDEViation", "MAXimum", "MINimum", "PKPK"}, 0);
    commands().addQuery(":CALCulate3:DATA", [this](ScpiCall& call) {
        if (acquisition_->buffer().empty()) {
            call.fail(errors::kDataStale);
            return;
        }
        const auto kind = static_cast<ScpiAcquisition::Statistic>(*statistic_);
        call.reply(readingText(acquisition_->bufferStatistic(kind)));
    });
}

double Smu24xx::rangeFor(const std::vector<double>& ranges, double value) {
    const auto found = std::find_if(ranges.begin(), ranges.end(),
                                    [value](double range) { return range >= value; });
    return found == ranges.end() ? ranges.back() : *found;
}

double Smu24xx::ivSampleCurrent() const {
    if (!output_) {
        return 0.0;
    }
    if (source_ == Source::Voltage) {
        return voltageSourceReading().amps;
    }
    return environment_.currentThroughSample() ? currentSourceReading().amps : 0.0;
}

// Whether the source sits at its limit now. The same test as the readings' below, without
// solving for the clipped values: it runs after every message.
bool Smu24xx::inCompliance() const {
    if (!output_) {
        return false;
    }
    if (source_ == Source::Voltage) {
        const bool autoOhms = functions_[kFunctionRes] && *resistanceMode_ == 1;
        return !autoOhms &&
               std::abs(environment_.ivSample().current(voltage_.level)) > currentCompliance_;
    }
    const double amps = std::abs(current_.level);
    if (environment_.currentThroughSample()) {
        // The sample is monotonic: the voltage passes the limit where the current passes the
        // current the limit drives.
        return amps > std::abs(environment_.ivSample().current(voltageCompliance_));
    }
    return amps * environment_.cryostat().sampleResistance() > voltageCompliance_;
}

Smu24xx::Reading Smu24xx::voltageSourceReading() const {
    const IvSample& sample = environment_.ivSample();
    Reading reading{voltage_.level, sample.current(voltage_.level), readingText::kNotANumber,
                    false};
    if (std::abs(reading.amps) > currentCompliance_) {
        // In compliance the unit becomes a current source at its limit.
        reading.amps = std::copysign(currentCompliance_, reading.amps);
        reading.volts = sample.voltageFor(reading.amps);
        reading.compliance = true;
    }
    return reading;
}

Smu24xx::Reading Smu24xx::currentSourceReading() const {
    const auto sourced = environment_.sourceCurrent(current_.level, voltageCompliance_);
    return {sourced.volts, sourced.amps, readingText::kNotANumber, sourced.compliance};
}

Smu24xx::Reading Smu24xx::idealReading() const {
    if (!output_) {
        return {0.0, 0.0, readingText::kNotANumber, false};
    }
    if (source_ == Source::Current) {
        return currentSourceReading();
    }
    if (functions_[kFunctionRes] && *resistanceMode_ == 1) {
        // Auto ohms: the unit sources its own small test signal.
        const double volts = IvSample::kOhmmeterTestVolts;
        return {volts, environment_.ivSample().current(volts), 0.0, false};
    }
    return voltageSourceReading();
}

Smu24xx::Reading Smu24xx::measure() {
    Reading reading = idealReading();
    if (!output_) {
        return reading;
    }
    NoiseSource& noise = environment_.noise();
    reading.volts = noise.disturb(reading.volts, 1e-5, 5e-6);
    reading.amps = noise.disturb(reading.amps, 1e-4, 1e-12);
    if (functions_[kFunctionRes]) {
        reading.ohms =
            reading.amps != 0.0 ? reading.volts / reading.amps : readingText::kNotANumber;
    }
    return reading;
}

ScpiAcquisition::Reading Smu24xx::record() {
    constexpr int kSweepMode = 2;
    SourceLevel& source = sourcingVoltage() ? voltage_ : current_;
    Reading reading;
    if (source.mode == kSweepMode) {
        // The sweep point is sourced for this reading; the fixed level stays the bias.
        const double bias = source.level;
        source.level = sweep_.level(sourcingVoltage() ? SourceSweep::kVolts : SourceSweep::kAmps,
                                    sweepPoint_++);
        reading = measure();
        source.level = bias;
    } else {
        reading = measure();
    }
    status().refresh();
    return {reading.volts, reading.amps, reading.ohms, environment_.now() - resetSeconds_,
            static_cast<double>(statusWord(reading.compliance))};
}

void Smu24xx::beginAcquisition() {
    sweepPoint_ = 0;
    output_ = output_ || *autoClear_;  // auto output-off: on for the readings only
}

// The STATus element of a reading: the bits the manual defines for what is simulated here.
// Overflow, over-voltage protection, math, null, limit tests, range compliance, contact check
// and pulse mode never happen on this bench.
int Smu24xx::statusWord(bool compliance) const {
    const std::pair<int, bool> bits[] = {
        {1, *filter_},
        {2, *rearTerminals_ == 0},
        {3, compliance},
        {10, *resistanceMode_ == 1},
        {11, functions_[kFunctionVolt]},
        {12, functions_[kFunctionCurr]},
        {13, functions_[kFunctionRes]},
        {14, sourcingVoltage()},
        {15, !sourcingVoltage()},
        {17, *offsetCompensated_},
        {22, remoteSense_},
    };
    int word = 0;
    for (const auto& [bit, set] : bits) {
        word |= set ? 1 << bit : 0;
    }
    return word;
}

std::string Smu24xx::readingText(const ScpiAcquisition::Reading& record) const {
    std::string text;
    for (std::size_t i = 0; i < kElementCount; ++i) {
        if (elements_[i]) {
            text += text.empty() ? "" : ",";
            text += number(record[i]);
        }
    }
    return text;
}

}  // namespace tarvix::sim
