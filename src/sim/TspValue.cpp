// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspValue.h"

#include <cstdio>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

namespace {

TspError badArgument(std::size_t index, std::string_view function, std::string_view expected) {
    return {errors::kTspRuntime, "bad argument #" + std::to_string(index + 1) + " to '" +
                                     std::string(function) + "' (" + std::string(expected) +
                                     " expected)"};
}

}  // namespace

double numberArgument(const TspValues& arguments, std::size_t index, std::string_view function,
                      std::optional<double> fallback) {
    const bool given =
        index < arguments.size() && !std::holds_alternative<std::monostate>(arguments[index]);
    if (!given && fallback) {
        return *fallback;
    }
    if (given) {
        if (const double* number = std::get_if<double>(&arguments[index])) {
            return *number;
        }
    }
    throw badArgument(index, function, "number");
}

std::string textArgument(const TspValues& arguments, std::size_t index, std::string_view function) {
    if (index < arguments.size()) {
        if (const auto* text = std::get_if<std::string>(&arguments[index])) {
            return *text;
        }
        if (const double* number = std::get_if<double>(&arguments[index])) {
            char text[32];
            std::snprintf(text, sizeof text, "%.14g", *number);  // as Lua's tostring
            return text;
        }
    }
    throw badArgument(index, function, "string");
}

}  // namespace tarvix::sim
