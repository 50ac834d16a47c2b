// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspNode.h"

#include <cmath>
#include <cstdlib>

#include "sim/TspInterpreter.h"

namespace tarvix::sim {

namespace {

constexpr double kLongestDelay = 1e5;
constexpr int kErrorSeverity = 20;  // "recoverable": the instrument goes on working
constexpr int kLocalNode = 1;

struct Constant {
    const char* name;
    double value;
};
// Status byte bits, under their long and short names.
constexpr Constant kStatusConstants[] = {
    {"status.MEASUREMENT_SUMMARY_BIT", 1},  {"status.MSB", 1},
    {"status.SYSTEM_SUMMARY_BIT", 2},       {"status.SSB", 2},
    {"status.ERROR_AVAILABLE", 4},          {"status.EAV", 4},
    {"status.QUESTIONABLE_SUMMARY_BIT", 8}, {"status.QSB", 8},
    {"status.MESSAGE_AVAILABLE", 16},       {"status.MAV", 16},
    {"status.EVENT_SUMMARY_BIT", 32},       {"status.ESB", 32},
    {"status.MASTER_SUMMARY_STATUS", 64},   {"status.MSS", 64},
    {"status.OPERATION_SUMMARY_BIT", 128},  {"status.OSB", 128},
};

TspError outOfRange() {
    return {errors::kOutOfRange, std::string(errors::text(errors::kOutOfRange))};
}

}  // namespace

TspNode::TspNode(TspInterpreter& tsp, ErrorQueue& errors, SimClock clock, Identity identity,
                 CommonCommand common, std::function<int()> statusByte)
    : tsp_(tsp),
      errors_(errors),
      clock_(std::move(clock)),
      common_(std::move(common)),
      statusByte_(std::move(statusByte)),
      display_(tsp) {
    timerStart_ = now();
    addLocalNode(identity);
    addErrorQueue();
    addStatus();
    addTiming();
}

double TspNode::cycles(double nplc) const {
    return nplc / lineFrequency_;
}

void TspNode::reset() {
    display_.clear();
}

void TspNode::addLocalNode(const Identity& identity) {
    const auto text = [this](const char* name, std::string value) {
        tsp_.addReadOnlyAttribute(name, [value] { return TspValue{value}; });
    };
    text("localnode.model", identity.model);
    text("localnode.serialno", identity.serialNumber);
    text("localnode.revision", identity.revision);
    // The mains frequency is the instrument's own, not a setting that reset() restores.
    tsp_.addComputedAttribute(
        "localnode.linefreq", [this] { return TspValue{lineFrequency_}; },
        [this](double hertz) {
            if (hertz != 50 && hertz != 60) {
                throw outOfRange();
            }
            lineFrequency_ = hertz;
        });
    tsp_.addAttribute("localnode.prompts", 0, 0, 1, true);
    tsp_.addAttribute("localnode.showerrors", 0, 0, 1, true);
}

void TspNode::addErrorQueue() {
    tsp_.addReadOnlyAttribute("errorqueue.count",
                              [this] { return TspValue{static_cast<double>(errors_.size())}; });
    tsp_.addFunction("errorqueue.clear", [this](const TspValues&) {
        errors_.clear();
        return TspValues{};
    });
    tsp_.addFunction("errorqueue.next", [this](const TspValues&) {
        if (errors_.size() == 0) {
            return TspValues{0.0, std::string("Queue Is Empty"), 0.0, double{kLocalNode}};
        }
        ErrorQueue::Entry entry = errors_.pop();
        return TspValues{static_cast<double>(entry.code), std::move(entry.message),
                         double{kErrorSeverity}, double{kLocalNode}};
    });
}

void TspNode::addStatus() {
    for (const Constant& constant : kStatusConstants) {
        tsp_.addConstant(constant.name, constant.value);
    }
    // The registers belong to the common commands' status model; these are its TSP names.
    const auto reply = [this](std::string_view query) {
        return TspValue{std::strtod(common_(query).c_str(), nullptr)};
    };
    tsp_.addReadOnlyAttribute("status.condition",
                              [this] { return TspValue{static_cast<double>(statusByte_())}; });
    tsp_.addReadOnlyAttribute("status.standard.event", [reply] { return reply("*ESR?"); });
    const auto mask = [this, reply](const char* name, std::string command) {
        tsp_.addComputedAttribute(
            name, [reply, command] { return reply(command + "?"); },
            [this, command](double bits) {
                if (bits < 0 || bits > 255 || std::floor(bits) != bits) {
                    throw outOfRange();
                }
                common_(command + " " + std::to_string(static_cast<int>(bits)));
            });
    };
    mask("status.standard.enable", "*ESE");
    mask("status.request_enable", "*SRE");
    tsp_.addFunction("status.reset", [this](const TspValues&) {
        for (const char* command : {"*CLS", "*ESE 0", "*SRE 0"}) {
            common_(command);
        }
        return TspValues{};
    });
}

void TspNode::addTiming() {
    const auto nothing = [](const TspValues&) { return TspValues{}; };
    tsp_.addFunction("delay", [this](const TspValues& arguments) {
        const double seconds = numberArgument(arguments, 0, "delay");
        if (!(seconds >= 0 && seconds <= kLongestDelay)) {
            throw outOfRange();
        }
        advance(seconds);
        return TspValues{};
    });
    tsp_.addFunction("timer.reset", [this](const TspValues&) {
        timerStart_ = now();
        return TspValues{};
    });
    tsp_.addFunction("timer.measure.t",
                     [this](const TspValues&) { return TspValues{now() - timerStart_}; });
    tsp_.addFunction("waitcomplete", nothing);
    tsp_.addFunction("opc", [this](const TspValues&) {
        common_("*OPC");
        return TspValues{};
    });
    tsp_.addFunction("beeper.beep", nothing);
    tsp_.addAttribute("beeper.enable", 1, 0, 1, true);
}

}  // namespace tarvix::sim
