// SPDX-License-Identifier: GPL-3.0-or-later
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
constexpr int kBufferCapacity = 1024;

// The measuring functions: the path FUNCtion and CONFigure take, and the name FUNCtion?
// answers.
struct FunctionName {
    std::string_view path;
    const char* name;
};
constexpr FunctionName kFunctions[] = {
    {"CURRent[:DC]", "CURR:DC"}, {"CURRent:AC", "CURR:AC"}, {"VOLTage[:DC]", "VOLT:DC"},
    {"VOLTage:AC", "VOLT:AC"},   {"RESistance", "RES"},     {"FRESistance", "FRES"},
    {"PERiod", "PER"},           {"FREQuency", "FREQ"},     {"TEMPerature", "TEMP"},
    {"DIODe", "DIOD"},           {"CONTinuity", "CONT"},
};

std::vector<std::string_view> functionPaths() {
    std::vector<std::string_view> paths;
    for (const FunctionName& function : kFunctions) {
        paths.push_back(function.path);
    }
    return paths;
}

// Settings of one function's node that only change what the meter answers back.
struct FunctionSettings {
    const char* node;
    std::vector<double> ranges;  // none for functions without ranges
    double referenceLimit;
    const char* unit;
    bool ac;
    bool counter;  // frequency and period: threshold and aperture instead of NPLC
};

const std::vector<FunctionSettings>& functionSettings() {
    static const std::vector<FunctionSettings> rows = {
        {"[SENSe]:CURRent[:DC]", {0.01, 0.1, 1.0, 3.0}, 3.1, "A", false, false},
        {"[SENSe]:CURRent:AC", {1.0, 3.0}, 3.1, "A", true, false},
        {"[SENSe]:VOLTage[:DC]", {0.1, 1.0, 10.0, 100.0, 1000.0}, 1010.0, "V", false, false},
        {"[SENSe]:VOLTage:AC", {0.1, 1.0, 10.0, 100.0, 750.0}, 757.5, "V", true, false},
        {"[SENSe]:RESistance", {1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8}, 1.2e8, "OHM", false, false},
        {"[SENSe]:FRESistance", {1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8}, 1.2e8, "OHM", false, false},
        {"[SENSe]:FREQuency", {}, 1.5e7, "HZ", false, true},
        {"[SENSe]:PERiod", {}, 1.0, "S", false, true},
        {"[SENSe]:TEMPerature", {}, 1372.0, "", false, false},
    };
    return rows;
}

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
    addFunctionSettings();
    acquisition_ = std::make_unique<ScpiAcquisition>(
        commands(), settings(), status(),
        ScpiAcquisition::Hooks{
            [this] { return ScpiAcquisition::Reading{measure()}; },
            [](const ScpiAcquisition::Reading& r) { return readingText::signedExponent(r[0], 8); }},
        kBufferCapacity);
    addConfigureCommands();
    reset();
}

void ScanningMultimeter::addSettingCommands() {
    commands().add(
        "[SENSe]:FUNCtion",
        [this](ScpiCall& call) {
            if (const auto function = call.quotedChoice(0, functionPaths())) {
                function_ = static_cast<Function>(*function);
            }
        },
        [this](ScpiCall& call) {
            call.reply('"' + std::string(kFunctions[static_cast<int>(function_)].name) + '"');
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

void ScanningMultimeter::addFunctionSettings() {
    for (const FunctionSettings& row : functionSettings()) {
        const std::string node(row.node);
        if (!row.ranges.empty()) {
            const double top = row.ranges.back() * 1.01;
            bool& autoRange = settings().flag(node + ":RANGe:AUTO", true);
            settings().number({node + ":RANGe[:UPPer]", 0.0, top, row.ranges.back(), row.unit,
                               row.ranges, &autoRange});
        }
        const double low = node.find("RES") != std::string::npos ? 0.0 : -row.referenceLimit;
        settings().number({node + ":REFerence", low, row.referenceLimit, 0.0, row.unit});
        settings().flag(node + ":REFerence:STATe", false);
        commands().addCommand(node + ":REFerence:ACQuire", [](ScpiCall&) {});
        settings().integer(node + ":DIGits", 4, 7, row.counter ? 5 : 7);
        settings().flag(node + ":AVERage:STATe", false);
        settings().choice(node + ":AVERage:TCONtrol", {"REPeat", "MOVing"}, 1);
        settings().integer(node + ":AVERage:COUNt", 1, 100, 10);
        if (row.counter) {
            settings().number({node + ":THReshold:VOLTage:RANGe", 0.0, 1010.0, 10.0, "V"});
            settings().number({node + ":APERture", 0.01, 1.0, 1.0, "S"});
        } else {
            settings().number({node + ":NPLCycles", 0.01, 10.0, 1.0});
        }
        if (row.ac) {
            settings().number({node + ":DETector:BANDwidth", 3.0, 3e5, 30.0, "HZ"});
        }
    }
}

void ScanningMultimeter::addConfigureCommands() {
    int index = 0;
    for (const FunctionName& function : kFunctions) {
        const auto chosen = static_cast<Function>(index++);
        commands().addCommand("CONFigure:" + std::string(function.path),
                              [this, chosen](ScpiCall&) { function_ = chosen; });
        commands().addQuery("MEASure:" + std::string(function.path),
                            [this, chosen](ScpiCall& call) {
                                function_ = chosen;
                                acquisition_->read(call);
                            });
    }
    commands().addQuery("CONFigure", [this](ScpiCall& call) {
        call.reply('"' + std::string(kFunctions[static_cast<int>(function_)].name) + '"');
    });
}

std::string ScanningMultimeter::identification() const {
    return "KEITHLEY INSTRUMENTS INC.,MODEL 2000,1187342,A20  /A02";
}

// This meter comes out of reset reading Celsius, as its manual gives, and with its card's
// real junction sensor.
void ScanningMultimeter::reset() {
    function_ = Function::VoltsDc;
    unit_ = Unit::Celsius;
    realJunction_ = true;
    thermocoupleType_ = 0;
    closedChannel_.reset();
    if (acquisition_) {
        acquisition_->reset();
    }
}

double ScanningMultimeter::thermocoupleVolts(double kelvin, double referenceKelvin) {
    return kA * kelvin * kelvin + kB * kelvin + kC + kD * referenceKelvin;
}

double ScanningMultimeter::openInput() const {
    switch (function_) {
        case Function::Resistance:
        case Function::FourWireResistance:
        case Function::Diode:
        case Function::Continuity:
            return readingText::kOverflow;
        default:
            return 0.0;
    }
}

double ScanningMultimeter::measure() {
    NoiseSource& noise = environment_.noise();
    if (function_ != Function::VoltsDc && function_ != Function::Temperature) {
        return openInput();
    }
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
