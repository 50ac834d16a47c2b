// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ErrorQueue.h"

#include <map>

namespace tarvix::sim {

std::string_view errors::text(int code) {
    static const std::map<int, std::string_view> texts = {
        {0, "No error"},
        {kSyntax, "Syntax error"},
        {kDataType, "Data type error"},
        {kParameterNotAllowed, "Parameter not allowed"},
        {kMissingParameter, "Missing parameter"},
        {kMnemonicTooLong, "Program mnemonic too long"},
        {kUndefinedHeader, "Undefined header"},
        {kInvalidSuffix, "Invalid suffix"},
        {kSettingsConflict, "Settings conflict"},
        {kOutOfRange, "Parameter data out of range"},
        {kIllegalValue, "Illegal parameter value"},
        {kDataStale, "Data corrupt or stale"},
        {kQueueOverflow, "Queue overflow"},
        {kInputOverrun, "Input buffer overrun"},
        {kQueryInterrupted, "Query INTERRUPTED"},
        {kTspSyntax, "TSP Syntax error"},
        {kTspRuntime, "TSP Runtime error"},
        {kOutputOff, "Not permitted with OUTPUT off"},
    };
    const auto found = texts.find(code);
    return found == texts.end() ? std::string_view("Unknown error") : found->second;
}

void ErrorQueue::push(int code) {
    push(code, std::string(errors::text(code)));
}

void ErrorQueue::push(int code, std::string message) {
    if (entries_.size() >= kCapacity) {
        entries_.back() = {errors::kQueueOverflow,
                           std::string(errors::text(errors::kQueueOverflow))};
        return;
    }
    entries_.push_back({code, std::move(message)});
}

ErrorQueue::Entry ErrorQueue::pop() {
    if (entries_.empty()) {
        return {0, std::string(errors::text(0))};
    }
    Entry entry = std::move(entries_.front());
    entries_.pop_front();
    return entry;
}

// Instrument-specific (positive) numbers carry their sign, as the manuals list them.
std::string ErrorQueue::scpiText(const Entry& entry) {
    const std::string number = (entry.code > 0 ? "+" : "") + std::to_string(entry.code);
    return number + ",\"" + entry.message + "\"";
}

}  // namespace tarvix::sim
