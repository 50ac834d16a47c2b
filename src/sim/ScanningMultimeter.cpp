#include "sim/ScanningMultimeter.h"

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

constexpr int kTypeK = 1;
// Seebeck coefficients near room temperature (uV/K) of J, K, T, E, R, S, B, N: a meter set to
// the wrong type scales the thermocouple's voltage by the wrong coefficient.
constexpr double kSeebeck[] = {51.7, 40.6, 40.7, 60.9, 6.4, 6.4, 0.3, 26.5};
// The junction temperature a meter assumes when told to simulate it (23 °C).
constexpr double kSimulatedJunctionKelvin = 296.15;
constexpr double kCelsiusZero = 273.15;

}  // namespace

ScanningMultimeter::ScanningMultimeter(SimEnvironment& environment) : environment_(environment) {
    addSettingCommands();
    commands().add(
        "ROUTe:CLOSe",
        [this](ScpiCall& call) {
            if (const auto channel = call.channel(0, 1, kChannels)) {
                closedChannel_ = channel;  // a multiplexer closes one channel at a time
            }
        },
        [this](ScpiCall& call) {
            call.reply(closedChannel_ ? "(@" + std::to_string(*closedChannel_) + ")" : "(@)");
        });
    commands().addCommand("ROUTe:OPEN:ALL", [this](ScpiCall&) { closedChannel_.reset(); });
    addReadAndFetch("READ", "FETCh", [this] { return readingText::signedExponent(measure(), 8); });
    reset();
}

void ScanningMultimeter::addSettingCommands() {
    commands().add(
        "[SENSe]:FUNCtion",
        [this](ScpiCall& call) {
            if (const auto function = call.quotedChoice(0, {"VOLTage[:DC]", "TEMPerature"})) {
                function_ = *function == 0 ? Function::VoltsDc : Function::Temperature;
            }
        },
        [this](ScpiCall& call) {
            call.reply(function_ == Function::VoltsDc ? "\"VOLT:DC\"" : "\"TEMP\"");
        });
    commands().add(
        "UNIT:TEMPerature",
        [this](ScpiCall& call) {
            if (const auto unit = call.choice(0, {"C", "CEL", "F", "FAR", "K"})) {
                unit_ = *unit < 2 ? Unit::Celsius : (*unit < 4 ? Unit::Fahrenheit : Unit::Kelvin);
            }
        },
        [this](ScpiCall& call) {
            call.reply(unit_ == Unit::Celsius ? "C" : (unit_ == Unit::Fahrenheit ? "F" : "K"));
        });
    commands().add(
        "[SENSe]:TEMPerature:RJUNction:RSELect",
        [this](ScpiCall& call) {
            if (const auto choice = call.choice(0, {"REAL", "SIMulated"})) {
                realJunction_ = *choice == 0;
            }
        },
        [this](ScpiCall& call) { call.reply(realJunction_ ? "REAL" : "SIM"); });
    commands().add(
        "[SENSe]:TEMPerature:TCouple:TYPE",
        [this](ScpiCall& call) {
            if (const auto type = call.choice(0, {"J", "K", "T", "E", "R", "S", "B", "N"})) {
                thermocoupleType_ = *type;
            }
        },
        [this](ScpiCall& call) { call.reply(std::string(1, "JKTERSBN"[thermocoupleType_])); });
}

std::string ScanningMultimeter::identification() const {
    return "KEITHLEY INSTRUMENTS INC.,MODEL 2000,1187342,A20  /A02";
}

// This meter comes out of reset reading kelvin with its card's real junction sensor: the
// bench's thermocouple test reads the cryostat's kelvin after only *RST, FUNC and the type.
void ScanningMultimeter::reset() {
    function_ = Function::VoltsDc;
    unit_ = Unit::Kelvin;
    realJunction_ = true;
    thermocoupleType_ = 0;
    closedChannel_.reset();
    forgetLastReading();
}

double ScanningMultimeter::thermocoupleVolts(double kelvin, double referenceKelvin) {
    return kA * kelvin * kelvin + kB * kelvin + kC + kD * referenceKelvin;
}

double ScanningMultimeter::measure() {
    NoiseSource& noise = environment_.noise();
    const double reference = Cryostat::kReferenceKelvin + noise.gaussian(0.01);
    const double cryostat = environment_.cryostat().temperature();
    if (!closedChannel_) {
        // Open inputs: no volts, and an open thermocouple circuit overflows.
        return function_ == Function::VoltsDc ? noise.gaussian(1e-7) : readingText::kOverflow;
    }
    if (*closedChannel_ == 1) {
        return function_ == Function::VoltsDc ? noise.gaussian(1e-7) : inUnit(reference);
    }
    if (function_ == Function::VoltsDc) {
        return thermocoupleVolts(cryostat, reference) + noise.gaussian(1e-7);
    }
    return inUnit(thermocoupleReading(cryostat, reference) + noise.gaussian(0.02));
}

double ScanningMultimeter::thermocoupleReading(double kelvin, double referenceKelvin) const {
    const double junction = realJunction_ ? referenceKelvin : kSimulatedJunctionKelvin;
    const double scale = kSeebeck[kTypeK] / kSeebeck[thermocoupleType_];
    return junction + (kelvin - referenceKelvin) * scale;
}

double ScanningMultimeter::inUnit(double kelvin) const {
    switch (unit_) {
        case Unit::Kelvin:
            return kelvin;
        case Unit::Fahrenheit:
            return (kelvin - kCelsiusZero) * 9.0 / 5.0 + 32.0;
        case Unit::Celsius:
            break;
    }
    return kelvin - kCelsiusZero;
}

}  // namespace tarvix::sim
