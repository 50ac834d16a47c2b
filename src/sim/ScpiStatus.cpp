// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiStatus.h"

#include <string>

namespace tarvix::sim {

namespace {

// Standard event register bits.
constexpr int kOperationComplete = 1 << 0;
constexpr int kQueryError = 1 << 2;
constexpr int kDeviceError = 1 << 3;
constexpr int kExecutionError = 1 << 4;
constexpr int kCommandError = 1 << 5;

}  // namespace

ScpiStatus::ScpiStatus(std::function<bool()> messageAvailable, std::function<bool()> errorAvailable)
    : messageAvailable_(std::move(messageAvailable)), errorAvailable_(std::move(errorAvailable)) {}

void ScpiStatus::addCommands(ScpiCommandTable& table) {
    const auto mask = [&table](const char* pattern, int* value) {
        table.add(
            pattern,
            [value](ScpiCall& call) {
                if (const auto bits = call.integer(0, 0, 255, 0)) {
                    *value = *bits;
                }
            },
            [value](ScpiCall& call) { call.reply(std::to_string(*value)); });
    };
    mask("*ESE", &standardEnable_);
    mask("*SRE", &serviceEnable_);
    table.addQuery("*ESR", [this](ScpiCall& call) {
        call.reply(std::to_string(standardEvents_));
        standardEvents_ = 0;
    });
    table.addQuery("*STB", [this](ScpiCall& call) {
        refresh();
        call.reply(std::to_string(statusByte()));
    });
    table.addCommand("*OPC", [this](ScpiCall&) { standardEvents_ |= kOperationComplete; });
    addRegister(table, ":STATus:MEASurement", &measurement_);
    addRegister(table, ":STATus:QUEStionable", &questionable_);
    addRegister(table, ":STATus:OPERation", &operation_);
    table.addCommand(":STATus:PRESet", [this](ScpiCall&) { preset(); });
}

void ScpiStatus::addRegister(ScpiCommandTable& table, const char* node, Register* reg) {
    const std::string prefix(node);
    table.addQuery(prefix + "[:EVENt]", [this, reg](ScpiCall& call) {
        refresh();
        call.reply(std::to_string(reg->event));
        reg->event = 0;
    });
    table.addQuery(prefix + ":CONDition", [this, reg](ScpiCall& call) {
        refresh();
        call.reply(std::to_string(reg->condition));
    });
    table.add(
        prefix + ":ENABle",
        [reg](ScpiCall& call) {
            if (const auto bits = call.integer(0, 0, 65535, 0)) {
                reg->enable = *bits & kRegisterMask;
            }
        },
        [reg](ScpiCall& call) { call.reply(std::to_string(reg->enable)); });
}

void ScpiStatus::preset() {
    measurement_.enable = 0;
    questionable_.enable = 0;
    operation_.enable = 0;
}

void ScpiStatus::setMeasurementCondition(std::function<int()> condition) {
    measurementCondition_ = std::move(condition);
    refresh();
}

void ScpiStatus::refresh() {
    if (!measurementCondition_) {
        return;
    }
    const int now = measurementCondition_() & kRegisterMask;
    measurement_.event |= now & ~measurement_.condition;
    measurement_.condition = now;
}

void ScpiStatus::errorRaised(int code) {
    if (code <= -100 && code > -200) {
        standardEvents_ |= kCommandError;
    } else if ((code <= -200 && code > -300) || (code >= 800 && code < 900)) {
        standardEvents_ |= kExecutionError;
    } else if (code <= -300 && code > -400) {
        standardEvents_ |= kDeviceError;
    } else if (code <= -400 && code > -500) {
        standardEvents_ |= kQueryError;
    }
}

void ScpiStatus::clearEvents() {
    standardEvents_ = 0;
    measurement_.event = 0;
    questionable_.event = 0;
    operation_.event = 0;
}

int ScpiStatus::statusByte() const {
    int status = 0;
    const auto summary = [&status](const Register& reg, int bit) {
        status |= (reg.event & reg.enable) != 0 ? bit : 0;
    };
    summary(measurement_, kMeasurementSummary);
    summary(questionable_, kQuestionableSummary);
    summary(operation_, kOperationSummary);
    status |= errorAvailable_() ? kErrorAvailable : 0;
    status |= messageAvailable_() ? kMessageAvailable : 0;
    status |= (standardEvents_ & standardEnable_) != 0 ? kEventSummary : 0;
    status |= (status & serviceEnable_ & ~kMasterSummary) != 0 ? kMasterSummary : 0;
    return status;
}

}  // namespace tarvix::sim
