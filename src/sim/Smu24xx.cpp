#include "sim/Smu24xx.h"

#include <algorithm>
#include <cmath>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

// The instruments accept levels and ranges up to 5 % beyond a range's nominal value.
constexpr double kOverRange = 1.05;

std::string number(double value) {
    return readingText::signedExponent(value, 6);
}

}  // namespace

Smu24xx::Smu24xx(SmuModel model, SimEnvironment& environment)
    : model_(model), environment_(environment) {
    const bool is2410 = model == SmuModel::k2410;
    voltageRanges_ = {0.2, 2.0, 20.0, is2410 ? 1000.0 : 200.0};
    currentRanges_ = {1e-6, 1e-5, 1e-4, 1e-3, is2410 ? 2e-2 : 1e-2, 1e-1, 1.0};
    maxCompliance_[0] = is2410 ? 1100.0 : 210.0;
    maxCompliance_[1] = 1.05;
    addSenseCommands();
    addSourceCommands();
    addOutputCommands();
    reset();
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
    voltageRange_ = 20.0;
    voltageLevel_ = 0.0;
    voltageMode_ = 0;
    currentRange_ = 1e-4;
    currentLevel_ = 0.0;
    currentMode_ = 0;
    currentCompliance_ = 105e-6;
    voltageCompliance_ = 21.0;
    functions_ = {false, true, false};
    elements_.fill(true);
    resetSeconds_ = environment_.now();
    forgetLastReading();
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
    addSourceLevelCommands("VOLTage", &voltageRanges_, &voltageRange_, &voltageLevel_,
                           &voltageMode_);
    addSourceLevelCommands("CURRent", &currentRanges_, &currentRange_, &currentLevel_,
                           &currentMode_);
    commands().addCommand("[:SOURce]:CLEar[:IMMediate]", [this](ScpiCall&) { output_ = false; });
}

void Smu24xx::addSourceLevelCommands(const char* node, std::vector<double>* ranges, double* range,
                                     double* level, int* mode) {
    const std::string prefix = std::string("[:SOURce]:") + node;
    commands().add(
        prefix + ":MODE",
        [mode](ScpiCall& call) {
            if (const auto choice = call.choice(0, {"FIXed", "LIST", "SWEep"})) {
                *mode = *choice;
            }
        },
        [mode](ScpiCall& call) { call.reply(*mode == 0 ? "FIX" : (*mode == 1 ? "LIST" : "SWE")); });
    commands().add(
        prefix + ":RANGe[:UPPer]",
        [ranges, range](ScpiCall& call) {
            const double top = ranges->back() * kOverRange;
            if (const auto value = call.number(0, -top, top, ranges->back())) {
                *range = rangeFor(*ranges, std::abs(*value));
            }
        },
        [range](ScpiCall& call) { call.reply(number(*range)); });
    commands().add(
        prefix + "[:LEVel][:IMMediate][:AMPLitude]",
        [range, level](ScpiCall& call) {
            const double limit = *range * kOverRange;
            if (const auto value = call.number(0, -limit, limit, 0.0)) {
                *level = *value;
            }
        },
        [level](ScpiCall& call) { call.reply(number(*level)); });
}

void Smu24xx::addSenseCommands() {
    const auto functionSetter = [this](bool on) {
        return [this, on](ScpiCall& call) {
            for (std::size_t i = 0; i < call.count(); ++i) {
                const auto function =
                    call.quotedChoice(i, {"VOLTage[:DC]", "CURRent[:DC]", "RESistance"});
                if (!function) {
                    return;
                }
                functions_[static_cast<std::size_t>(*function)] = on;
            }
        };
    };
    commands().add(
        "[:SENSe]:FUNCtion[:ON]", functionSetter(true),
        [this](ScpiCall& call) {
            static const char* const names[] = {"\"VOLT:DC\"", "\"CURR:DC\"", "\"RES\""};
            // Appended piece by piece: a concatenated temporary draws a false -Wrestrict from
            // GCC 12 at -O3.
            std::string list;
            for (std::size_t i = 0; i < functions_.size(); ++i) {
                if (functions_[i]) {
                    list += list.empty() ? "" : ",";
                    list += names[i];
                }
            }
            call.reply(list);
        },
        1, kFunctionCount);
    commands().add("[:SENSe]:FUNCtion:OFF", functionSetter(false), {}, 1, kFunctionCount);
    commands().addCommand("[:SENSe]:FUNCtion:OFF:ALL",
                          [this](ScpiCall&) { functions_.fill(false); });
    const auto protection = [this](double* limit, int which) {
        commands().add(
            which == 0 ? "[:SENSe]:VOLTage[:DC]:PROTection[:LEVel]"
                       : "[:SENSe]:CURRent[:DC]:PROTection[:LEVel]",
            [this, limit, which](ScpiCall& call) {
                const double max = maxCompliance_[which];
                if (const auto value = call.number(0, -max, max, which == 0 ? 21.0 : 105e-6)) {
                    *limit = std::abs(*value);
                }
            },
            [limit](ScpiCall& call) { call.reply(number(*limit)); });
    };
    protection(&voltageCompliance_, 0);
    protection(&currentCompliance_, 1);
}

void Smu24xx::addOutputCommands() {
    commands().add(
        ":FORMat:ELEMents[:SENSe]",
        [this](ScpiCall& call) {
            std::array<bool, kElementCount> chosen{};
            for (std::size_t i = 0; i < call.count(); ++i) {
                const auto element =
                    call.choice(i, {"VOLTage", "CURRent", "RESistance", "TIME", "STATus"});
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
    commands().add(
        ":SYSTem:RSENse",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                remoteSense_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(remoteSense_ ? "1" : "0"); });
    addReadAndFetch(":READ", ":FETCh", [this] { return readingText(measure()); });
}

double Smu24xx::rangeFor(const std::vector<double>& ranges, double value) {
    const auto found = std::find_if(ranges.begin(), ranges.end(),
                                    [value](double range) { return range >= value; });
    return found == ranges.end() ? ranges.back() : *found;
}

double Smu24xx::ivSampleCurrent() const {
    if (!output_ || source_ != Source::Voltage) {
        return 0.0;
    }
    return voltageSourceReading().amps;
}

Smu24xx::Reading Smu24xx::voltageSourceReading() const {
    const IvSample& sample = environment_.ivSample();
    Reading reading{voltageLevel_, sample.current(voltageLevel_), readingText::kNotANumber, false};
    if (std::abs(reading.amps) > currentCompliance_) {
        // In compliance the unit becomes a current source at its limit.
        reading.amps = std::copysign(currentCompliance_, reading.amps);
        reading.volts = sample.voltageFor(reading.amps);
        reading.compliance = true;
    }
    return reading;
}

Smu24xx::Reading Smu24xx::currentSourceReading() const {
    const double ohms = environment_.cryostat().sampleResistance();
    Reading reading{currentLevel_ * ohms, currentLevel_, readingText::kNotANumber, false};
    if (std::abs(reading.volts) > voltageCompliance_) {
        reading.volts = std::copysign(voltageCompliance_, reading.volts);
        reading.amps = reading.volts / ohms;
        reading.compliance = true;
    }
    return reading;
}

Smu24xx::Reading Smu24xx::idealReading() const {
    if (!output_) {
        return {0.0, 0.0, readingText::kNotANumber, false};
    }
    if (source_ == Source::Current) {
        return currentSourceReading();
    }
    if (functions_[kFunctionRes]) {
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

std::string Smu24xx::readingText(const Reading& reading) const {
    const double values[kElementCount] = {reading.volts, reading.amps, reading.ohms,
                                          environment_.now() - resetSeconds_,
                                          reading.compliance ? 8.0 : 0.0};
    std::string text;
    for (std::size_t i = 0; i < kElementCount; ++i) {
        if (elements_[i]) {
            text += text.empty() ? "" : ",";
            text += number(values[i]);
        }
    }
    return text;
}

}  // namespace tarvix::sim
