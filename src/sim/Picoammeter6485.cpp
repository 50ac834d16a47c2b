#include "sim/Picoammeter6485.h"

#include <cmath>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

constexpr double kRanges[] = {2e-9, 2e-8, 2e-7, 2e-6, 2e-5, 2e-4, 2e-3, 2e-2};
constexpr double kOverRange = 1.05;

std::string number(double value) {
    return readingText::signedExponent(value, 6);
}

}  // namespace

Picoammeter6485::Picoammeter6485(SimEnvironment& environment) : environment_(environment) {
    commands().add(
        "[SENSe]:CURRent[:DC]:RANGe:AUTO",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                autoRange_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(autoRange_ ? "1" : "0"); });
    commands().add(
        "[SENSe]:CURRent[:DC]:RANGe[:UPPer]",
        [this](ScpiCall& call) {
            if (const auto value = call.number(0, -0.021, 0.021, 2e-2)) {
                range_ = kRanges[std::size(kRanges) - 1];
                for (const double range : kRanges) {
                    if (range >= std::abs(*value)) {
                        range_ = range;
                        break;
                    }
                }
                autoRange_ = false;
            }
        },
        [this](ScpiCall& call) { call.reply(number(range_)); });
    commands().add(
        "[SENSe]:CURRent[:DC]:NPLCycles",
        [this](ScpiCall& call) {
            if (const auto value = call.number(0, 0.01, 60.0, 6.0)) {
                nplc_ = *value;
            }
        },
        [this](ScpiCall& call) { call.reply(number(nplc_)); });
    commands().add(
        "SYSTem:ZCHeck[:STATe]",
        [this](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                zeroCheck_ = *on;
            }
        },
        [this](ScpiCall& call) { call.reply(zeroCheck_ ? "1" : "0"); });
    addReadAndFetch("READ", "FETCh", [this] { return readingText(measure()); });
    reset();
}

std::string Picoammeter6485::identification() const {
    return "KEITHLEY INSTRUMENTS INC.,MODEL 6485,1008553,B03   Sep 25 2002 10:53:29/A02  /E";
}

void Picoammeter6485::reset() {
    zeroCheck_ = true;
    autoRange_ = true;
    range_ = 2e-2;
    nplc_ = 6.0;
    resetSeconds_ = environment_.now();
    forgetLastReading();
}

double Picoammeter6485::measure() {
    NoiseSource& noise = environment_.noise();
    if (zeroCheck_) {
        return noise.gaussian(2e-15);  // the input is shunted: only the offset noise
    }
    const double amps = noise.disturb(environment_.ivSampleCurrent(), 2e-4, 5e-15);
    if (!autoRange_ && std::abs(amps) > range_ * kOverRange) {
        return readingText::kOverflow;
    }
    return amps;
}

std::string Picoammeter6485::readingText(double amps) const {
    return number(amps) + "A," + number(environment_.now() - resetSeconds_) + "," + number(0.0);
}

}  // namespace tarvix::sim
