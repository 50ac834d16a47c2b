// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/LcrMeter7600.h"

#include <array>
#include <cmath>
#include <complex>

#include "sim/LcrQuantity.h"
#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

// Parameter codes: the primary takes A (automatic) and every code, the secondary N (none)
// and every code.
constexpr std::array<std::string_view, 16> kPrimaryCodes = {
    "A", "CS", "CP", "LS", "LP", "RS", "RP", "DF", "Q", "Z", "Y", "P", "ESR", "GP", "XS", "BP"};
constexpr std::array<std::string_view, 16> kSecondaryCodes = {
    "N", "CS", "CP", "LS", "LP", "RS", "RP", "DF", "Q", "Z", "Y", "P", "ESR", "GP", "XS", "BP"};
constexpr std::array<std::string_view, 3> kSpeeds = {"FASt", "MEDium", "SLOw"};
constexpr std::array<std::string_view, 3> kBiases = {"OFF", "EXTernal", "INTernal"};
// Relative noise of one reading at each speed.
constexpr double kSpeedNoise[] = {3e-4, 1e-4, 3e-5};
constexpr int kSlowPasses = 3;

std::string fixed(double value, int decimals) {
    char buffer[48];
    const int length = std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

LcrMeter7600::LcrMeter7600(SimEnvironment& environment) : environment_(environment) {
    addConfigureCommands();
    commands().addCommand("MEASure", [this](ScpiCall&) {
        if (speed_ == kSlow) {
            for (int pass = 0; pass < kSlowPasses; ++pass) {
                queueReply(measurement());
            }
        }
        lastMeasurement_ = measurement();
    });
    commands().addQuery("FETCh", [this](ScpiCall& call) {
        if (lastMeasurement_.empty()) {
            call.fail(errors::kDataStale);
            return;
        }
        call.reply(lastMeasurement_);
    });
    reset();
}

void LcrMeter7600::addConfigureCommands() {
    const auto code = [this](const char* pattern, std::span<const std::string_view> codes,
                             std::string* target) {
        commands().add(
            pattern,
            [codes, target](ScpiCall& call) {
                if (const auto index = call.choice(0, codes)) {
                    *target = codes[static_cast<std::size_t>(*index)];
                }
            },
            [target](ScpiCall& call) { call.reply(*target); });
    };
    code("CONFigure:PPARameter", kPrimaryCodes, &primary_);
    code("CONFigure:SPARameter", kSecondaryCodes, &secondary_);
    const auto option = [this](const char* pattern, std::span<const std::string_view> choices,
                               int* target) {
        commands().add(
            pattern,
            [choices, target](ScpiCall& call) {
                if (const auto index = call.choice(0, choices)) {
                    *target = *index;
                }
            },
            [choices, target](ScpiCall& call) {
                const std::string_view name = choices[static_cast<std::size_t>(*target)];
                call.reply(std::string(name.substr(0, 3)));
            });
    };
    option("CONFigure:MAC", kSpeeds, &speed_);
    option("CONFigure:BIAS", kBiases, &bias_);
    addNumber("CONFigure:FREQuency", &frequency_, 10.0, 2e6, 2);
    addNumber("CONFigure:AVERage", &average_, 1.0, 1000.0, 0);
    addNumber("CONFigure:TDELay", &triggerDelay_, 0.0, 100000.0, 0);
    addNumber("CONFigure:ACV", &acVolts_, 0.01, 5.0, 3);
}

void LcrMeter7600::addNumber(const char* pattern, double* value, double min, double max,
                             int decimals) {
    commands().add(
        pattern,
        [value, min, max, decimals](ScpiCall& call) {
            if (const auto number = call.number(0, min, max, min)) {
                *value = decimals == 0 ? std::round(*number) : *number;
            }
        },
        [value, decimals](ScpiCall& call) { call.reply(fixed(*value, decimals)); });
}

std::string LcrMeter7600::identification() const {
    return "PRECISION LCR METER,MODEL 7600,3071158,2.07";
}

void LcrMeter7600::reset() {
    frequency_ = 1000.0;
    // One character each: assigning the literal draws a false -Wrestrict from GCC 12 at -O3.
    primary_.assign(1, 'A');
    secondary_.assign(1, 'N');
    speed_ = kMedium;
    average_ = 1.0;
    bias_ = 0;
    triggerDelay_ = 0.0;
    acVolts_ = 1.0;
    lastMeasurement_.clear();
}

std::string LcrMeter7600::measurement() {
    std::complex<double> z = environment_.lcrDevice().impedance(frequency_);
    const double sigma = kSpeedNoise[speed_] / std::sqrt(average_);
    NoiseSource& noise = environment_.noise();
    z = {noise.disturb(z.real(), sigma, 0.0), noise.disturb(z.imag(), sigma, 0.0)};
    std::string text;
    for (const std::string& code : {primary_, secondary_}) {
        if (code == "N") {
            continue;
        }
        const auto quantity = lcrQuantity(code, z, frequency_);
        if (quantity) {
            text += quantity->code + '\t' + readingText::capitalExponent(quantity->value, 5) +
                    '\t' + quantity->unit + '\t';
        }
    }
    return text + "\t\t";
}

}  // namespace tarvix::sim
