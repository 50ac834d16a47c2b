// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/Smu2636.h"

#include <cmath>

#include "sim/ReadingText.h"
#include "sim/TspBufferBinding.h"

namespace tarvix::sim {

namespace {

using Quantity = ReadingBuffer::Quantity;

constexpr std::size_t kBufferCapacity = 100000;
constexpr const char* kModel = "2636A";
constexpr const char* kSerialNumber = "1187720";
constexpr const char* kRevision = "2.1.6";

// The script constants the control lines use, with the values the firmware gives them.
struct Constant {
    const char* name;
    double value;
};
constexpr Constant kConstants[] = {
    {"smua.OUTPUT_OFF", 0},     {"smua.OUTPUT_ON", 1},     {"smua.OUTPUT_DCAMPS", 0},
    {"smua.OUTPUT_DCVOLTS", 1}, {"smua.AUTORANGE_OFF", 0}, {"smua.AUTORANGE_ON", 1},
    {"smua.OE_NONE", 0},        {"smua.OE_OUTPUT_OFF", 1}, {"smua.SENSE_LOCAL", 0},
    {"smua.SENSE_REMOTE", 1},   {"smua.SENSE_CALA", 3},    {"smua.AUTOZERO_OFF", 0},
    {"smua.AUTOZERO_ONCE", 1},  {"smua.AUTOZERO_AUTO", 2}, {"smua.OUTPUT_HIGH_Z", 2},
    {"smua.OUTPUT_NORMAL", 0},  {"smua.OUTPUT_ZERO", 1},   {"smua.ENABLE", 1},
    {"smua.DISABLE", 0},
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
};

}  // namespace

Smu2636::Smu2636(SimEnvironment& environment, LuaSandbox::Limits limits)
    : environment_(environment),
      status_([this] { return replyWaiting(); }, [this] { return errors_.size() > 0; }),
      tsp_([this](std::string line) { queueReply(std::move(line)); }, errors_, limits),
      node_(
          tsp_, errors_, [&environment] { return environment.now(); },
          {kModel, kSerialNumber, kRevision},
          [this](std::string_view command) { return runCommon(command); },
          [this] { return status_.statusByte(); }),
      buffer1_(kBufferCapacity),
      buffer2_(kBufferCapacity) {
    addAttributes();
    addMeasureFunctions();
    addCommonCommands();
    reset();
}

std::string Smu2636::identification() const {
    return std::string("Keithley Instruments Inc., Model ") + kModel + ", " + kSerialNumber + ", " +
           kRevision;
}

void Smu2636::addAttributes() {
    for (const Constant& constant : kConstants) {
        tsp_.addConstant(constant.name, constant.value);
    }
    for (const AttributeRow& spec : kAttributes) {
        tsp_.addAttribute(spec.name, spec.initial, spec.min, spec.max, spec.integral);
    }
    tsp_.addReadOnlyAttribute("smua.source.compliance",
                              [this] { return TspValue{idealReading().compliance}; });
    tsp_.addBuffer("smua.nvbuffer1", buffer1_);
    tsp_.addBuffer("smua.nvbuffer2", buffer2_);
}

void Smu2636::addMeasureFunctions() {
    const auto resetAll = [this](const TspValues&) {
        reset();
        return TspValues{};
    };
    tsp_.addFunction("reset", resetAll);
    tsp_.addFunction("smua.reset", resetAll);
    const std::pair<const char*, Quantity> single[] = {{"i", Quantity::Amps},
                                                       {"v", Quantity::Volts},
                                                       {"r", Quantity::Ohms},
                                                       {"p", Quantity::Watts}};
    for (const auto& function : single) {
        tsp_.addFunction(std::string("smua.measure.") + function.first,
                         [this, function](const TspValues& arguments) {
                             return measureInto(function.second, arguments, function.first);
                         });
    }
    // measure.iv(currents, voltages): both readings of one measurement.
    tsp_.addFunction("smua.measure.iv", [this](const TspValues& arguments) {
        return measureInto(Quantity::Amps, arguments, "iv");
    });
    tsp_.addLuaFunction("smua.makebuffer", &tspBuffers::make, nullptr);
}

void Smu2636::addCommonCommands() {
    common_.addQuery("*IDN", [this](ScpiCall& call) { call.reply(identification()); });
    common_.addCommand("*RST", [this](ScpiCall&) {
        reset();
        tsp_.restart();
    });
    common_.addCommand("*CLS", [this](ScpiCall&) {
        errors_.clear();
        status_.clearEvents();
    });
    common_.addQuery("*OPC", [](ScpiCall& call) { call.reply("1"); });
    common_.addCommand("*WAI", [](ScpiCall&) {});
    common_.addCommand("*TRG", [](ScpiCall&) {});
    status_.addCommands(common_);
}

std::string Smu2636::runCommon(std::string_view message) {
    ScpiOutcome outcome = common_.execute(message, [this](int code) {
        errors_.push(code);
        status_.errorRaised(code);
    });
    return outcome.replies.empty() ? std::string() : std::move(outcome.replies.front());
}

void Smu2636::reset() {
    tsp_.resetAttributes();
    buffer1_.reset();
    buffer2_.reset();
    node_.reset();
}

void Smu2636::execute(std::string_view message) {
    const std::size_t first = message.find_first_not_of(" \t");
    if (first != std::string_view::npos && message[first] == '*' && !tsp_.collectingScript()) {
        ScpiOutcome outcome = common_.execute(message, [this](int code) {
            errors_.push(code);
            status_.errorRaised(code);
        });
        for (std::string& reply : outcome.replies) {
            queueReply(std::move(reply));
        }
        return;
    }
    tsp_.run(message);
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
        Reading reading{voltageLevel(), sample.current(voltageLevel()), false};
        if (std::abs(reading.amps) > limit) {
            reading.amps = std::copysign(limit, reading.amps);
            reading.volts = sample.voltageFor(reading.amps);
            reading.compliance = true;
        }
        return reading;
    }
    const auto sourced = environment_.sourceCurrent(tsp_.value("smua.source.leveli"),
                                                    tsp_.value("smua.source.limitv"));
    return {sourced.volts, sourced.amps, sourced.compliance};
}

Smu2636::Reading Smu2636::measure() {
    Reading reading = idealReading();
    if (outputOn()) {
        reading.volts = environment_.noise().disturb(reading.volts, 1e-5, 5e-6);
        reading.amps = environment_.noise().disturb(reading.amps, 1e-4, 1e-13);
    }
    node_.advance(node_.cycles(tsp_.value("smua.measure.nplc")));
    return reading;
}

TspValues Smu2636::measureInto(Quantity quantity, const TspValues& arguments,
                               const char* function) {
    const bool pair = std::string_view(function) == "iv";
    ReadingBuffer* buffers[2] = {nullptr, nullptr};
    for (std::size_t i = 0; i < (pair ? 2u : 1u) && i < arguments.size(); ++i) {
        if (std::holds_alternative<std::monostate>(arguments[i])) {
            continue;
        }
        ReadingBuffer* const* buffer = std::get_if<ReadingBuffer*>(&arguments[i]);
        if (!buffer) {
            throw TspError{errors::kTspRuntime, "bad argument #" + std::to_string(i + 1) + " to '" +
                                                    function + "' (reading buffer expected)"};
        }
        buffers[i] = *buffer;
        buffers[i]->beginMeasurement();
    }
    const auto count = static_cast<int>(tsp_.value("smua.measure.count"));
    Reading reading;
    for (int n = 0; n < count; ++n) {
        reading = measure();
        if (buffers[0]) {
            store(*buffers[0], quantity, reading);
        }
        if (buffers[1]) {
            store(*buffers[1], Quantity::Volts, reading);
        }
    }
    switch (quantity) {
        case Quantity::Amps:
            return pair ? TspValues{reading.amps, reading.volts} : TspValues{reading.amps};
        case Quantity::Volts:
            return {reading.volts};
        case Quantity::Ohms:
            return {reading.amps != 0.0 ? reading.volts / reading.amps : readingText::kNotANumber};
        case Quantity::Watts:
            return {reading.volts * reading.amps};
    }
    return {};
}

void Smu2636::store(ReadingBuffer& buffer, Quantity quantity, const Reading& reading) {
    ReadingBuffer::Entry entry;
    const bool amps = quantity == Quantity::Amps;
    const bool volts = sourcingVolts();
    switch (quantity) {
        case Quantity::Amps:
            entry.reading = reading.amps;
            break;
        case Quantity::Volts:
            entry.reading = reading.volts;
            break;
        case Quantity::Ohms:
            entry.reading =
                reading.amps != 0.0 ? reading.volts / reading.amps : readingText::kNotANumber;
            break;
        case Quantity::Watts:
            entry.reading = reading.volts * reading.amps;
            break;
    }
    entry.sourceValue = volts ? reading.volts : reading.amps;
    entry.time = node_.now();
    const bool autorange =
        tsp_.value(amps ? "smua.measure.autorangei" : "smua.measure.autorangev") != 0.0;
    entry.status = (reading.compliance ? ReadingBuffer::kCompliance : 0) |
                   (autorange ? ReadingBuffer::kMeasureAutoranged : 0) |
                   (tsp_.value("smua.sense") == 1.0 ? ReadingBuffer::kRemoteSense : 0);
    entry.measured = quantity;
    entry.sourcingVolts = volts;
    entry.outputOn = outputOn();
    entry.measureRange = tsp_.value(amps ? "smua.measure.rangei" : "smua.measure.rangev");
    entry.sourceRange = tsp_.value(volts ? "smua.source.rangev" : "smua.source.rangei");
    if (!buffer.store(entry)) {
        throw TspError{errors::kTspRuntime, "the reading buffer is full"};
    }
}

}  // namespace tarvix::sim
