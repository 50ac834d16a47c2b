#include "sim/Smu2636.h"

#include <cmath>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

using Values = std::vector<TspInterpreter::Value>;

// The script constants the control lines use, with the values the firmware gives them.
struct Constant {
    const char* name;
    double value;
};
constexpr Constant kConstants[] = {
    {"smua.OUTPUT_OFF", 0},        {"smua.OUTPUT_ON", 1},          {"smua.OUTPUT_DCAMPS", 0},
    {"smua.OUTPUT_DCVOLTS", 1},    {"smua.AUTORANGE_OFF", 0},      {"smua.AUTORANGE_ON", 1},
    {"smua.OE_NONE", 0},           {"smua.OE_OUTPUT_OFF", 1},      {"display.SMUA", 0},
    {"display.SMUB", 1},           {"display.SMUA_SMUB", 2},       {"display.USER", 3},
    {"display.MEASURE_DCAMPS", 0}, {"display.MEASURE_DCVOLTS", 1}, {"display.MEASURE_OHMS", 2},
    {"display.MEASURE_WATTS", 3},  {"smua.SENSE_LOCAL", 0},        {"smua.SENSE_REMOTE", 1},
    {"smua.SENSE_CALA", 3},        {"smua.AUTOZERO_OFF", 0},       {"smua.AUTOZERO_ONCE", 1},
    {"smua.AUTOZERO_AUTO", 2},     {"smua.OUTPUT_HIGH_Z", 2},      {"smua.OUTPUT_NORMAL", 0},
    {"smua.OUTPUT_ZERO", 1},
};

// Writable attributes: name, value after reset(), smallest and largest value, whole only.
struct AttributeRow {
    const char* name;
    double initial;
    double min;
    double max;
    bool integral;
};
constexpr AttributeRow kAttributes[] = {
    {"localnode.prompts", 0, 0, 1, true},
    {"localnode.showerrors", 0, 0, 1, true},
    {"display.screen", 0, 0, 3, true},
    {"display.smua.measure.func", 0, 0, 3, true},
    {"smua.source.func", 1, 0, 1, true},
    {"smua.source.autorangev", 1, 0, 1, true},
    {"smua.source.autorangei", 1, 0, 1, true},
    {"smua.source.levelv", 0, -202, 202, false},
    {"smua.source.leveli", 0, -1.515, 1.515, false},
    {"smua.source.limiti", 0.1, 1e-9, 1.515, false},
    {"smua.source.limitv", 20, 0.02, 202, false},
    {"smua.source.output", 0, 0, 1, true},
    {"smua.source.outputenableaction", 0, 0, 1, true},
    {"smua.source.rangev", 0.2, 0.2, 202, false},
    {"smua.source.rangei", 1e-7, 1e-7, 1.515, false},
    {"smua.source.lowrangev", 0.2, 0.2, 202, false},
    {"smua.source.lowrangei", 1e-7, 1e-7, 1.515, false},
    {"smua.source.limitp", 3.03e1, 1e-3, 40.4, false},
    {"smua.source.offmode", 0, 0, 2, true},
    {"smua.source.settling", 0, 0, 255, true},
    {"smua.source.delay", -1, -1, 1e4, false},
    {"smua.measure.autorangei", 1, 0, 1, true},
    {"smua.measure.autorangev", 1, 0, 1, true},
    {"smua.measure.rangei", 1e-7, 1e-12, 1.515, false},
    {"smua.measure.rangev", 0.2, 0.2, 202, false},
    {"smua.measure.lowrangei", 1e-12, 1e-12, 1.5, false},
    {"smua.measure.lowrangev", 0.2, 0.2, 202, false},
    {"smua.measure.nplc", 1, 0.001, 25, false},
    {"smua.measure.autozero", 2, 0, 2, true},
    {"smua.measure.delay", -1, -1, 1e4, false},
    {"smua.measure.count", 1, 1, 60000, true},
    {"smua.measure.filter.enable", 0, 0, 1, true},
    {"smua.measure.filter.count", 1, 1, 100, true},
    {"smua.sense", 0, 0, 3, true},
    {"beeper.enable", 1, 0, 1, true},
};

}  // namespace

Smu2636::Smu2636(SimEnvironment& environment)
    : environment_(environment),
      status_([this] { return replyWaiting(); }, [this] { return errors_.size() > 0; }) {
    addAttributes();
    addFunctions();
    addCommonCommands();
    reset();
}

std::string Smu2636::identification() const {
    return "Keithley Instruments Inc., Model 2636A, 1187720, 2.1.6";
}

void Smu2636::addAttributes() {
    for (const Constant& constant : kConstants) {
        tsp_.addConstant(constant.name, constant.value);
    }
    for (const AttributeRow& spec : kAttributes) {
        tsp_.addAttribute(spec.name, spec.initial, spec.min, spec.max, spec.integral);
    }
    tsp_.addReadOnlyAttribute("errorqueue.count",
                              [this] { return static_cast<double>(errors_.size()); });
}

void Smu2636::addFunctions() {
    const auto resetAll = [this](const Values&) {
        reset();
        return Values{};
    };
    tsp_.addFunction("reset", resetAll);
    tsp_.addFunction("smua.reset", resetAll);
    tsp_.addFunction("delay", [](const Values&) { return Values{}; });
    tsp_.addFunction("smua.measure.i", [this](const Values&) { return Values{measure().amps}; });
    tsp_.addFunction("smua.measure.v", [this](const Values&) { return Values{measure().volts}; });
    tsp_.addFunction("smua.measure.iv", [this](const Values&) {
        const Reading reading = measure();
        return Values{reading.amps, reading.volts};
    });
    tsp_.addFunction("smua.measure.r", [this](const Values&) {
        const Reading reading = measure();
        return Values{reading.amps != 0.0 ? reading.volts / reading.amps
                                          : readingText::kNotANumber};
    });
    tsp_.addFunction("smua.measure.p", [this](const Values&) {
        const Reading reading = measure();
        return Values{reading.volts * reading.amps};
    });
    tsp_.addFunction("beeper.beep", [](const Values&) { return Values{}; });
    tsp_.addFunction("waitcomplete", [](const Values&) { return Values{}; });
    tsp_.addFunction("errorqueue.clear", [this](const Values&) {
        errors_.clear();
        return Values{};
    });
    tsp_.addFunction("errorqueue.next", [this](const Values&) {
        const ErrorQueue::Entry entry = errors_.pop();
        return Values{static_cast<double>(entry.code), entry.message, 0.0, 1.0};
    });
}

void Smu2636::addCommonCommands() {
    common_.addQuery("*IDN", [this](ScpiCall& call) { call.reply(identification()); });
    common_.addCommand("*RST", [this](ScpiCall&) { reset(); });
    common_.addCommand("*CLS", [this](ScpiCall&) {
        errors_.clear();
        status_.clearEvents();
    });
    common_.addQuery("*OPC", [](ScpiCall& call) { call.reply("1"); });
    common_.addCommand("*WAI", [](ScpiCall&) {});
    common_.addCommand("*TRG", [](ScpiCall&) {});
    status_.addCommands(common_);
}

void Smu2636::reset() {
    tsp_.resetAttributes();
}

void Smu2636::execute(std::string_view message) {
    std::size_t first = message.find_first_not_of(" \t");
    if (first != std::string_view::npos && message[first] == '*') {
        ScpiOutcome outcome = common_.execute(message, [this](int code) {
            errors_.push(code);
            status_.errorRaised(code);
        });
        for (std::string& reply : outcome.replies) {
            queueReply(std::move(reply));
        }
        return;
    }
    std::vector<std::string> printed;
    tsp_.run(message, printed, errors_);
    for (std::string& line : printed) {
        queueReply(std::move(line));
    }
}

bool Smu2636::sourcingVolts() const {
    return tsp_.value("smua.source.func") != 0.0;
}

double Smu2636::ivSampleCurrent() const {
    const bool drivesSample = sourcingVolts() || environment_.currentThroughSample();
    return outputOn() && drivesSample ? idealReading().amps : 0.0;
}

Smu2636::Reading Smu2636::idealReading() const {
    if (!outputOn()) {
        return {};
    }
    if (sourcingVolts()) {
        const IvSample& sample = environment_.ivSample();
        const double limit = tsp_.value("smua.source.limiti");
        Reading reading{voltageLevel(), sample.current(voltageLevel())};
        if (std::abs(reading.amps) > limit) {
            reading.amps = std::copysign(limit, reading.amps);
            reading.volts = sample.voltageFor(reading.amps);
        }
        return reading;
    }
    const auto sourced = environment_.sourceCurrent(tsp_.value("smua.source.leveli"),
                                                    tsp_.value("smua.source.limitv"));
    return {sourced.volts, sourced.amps};
}

Smu2636::Reading Smu2636::measure() {
    Reading reading = idealReading();
    if (outputOn()) {
        reading.volts = environment_.noise().disturb(reading.volts, 1e-5, 5e-6);
        reading.amps = environment_.noise().disturb(reading.amps, 1e-4, 1e-13);
    }
    return reading;
}

}  // namespace tarvix::sim
