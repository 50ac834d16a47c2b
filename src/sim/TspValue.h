// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace tarvix::sim {

class ReadingBuffer;

// A value crossing between a TSP script and the instrument model: nil, a number, a boolean,
// a string or one of the instrument's reading buffers.
using TspValue = std::variant<std::monostate, double, bool, std::string, ReadingBuffer*>;
using TspValues = std::vector<TspValue>;
using TspFunction = std::function<TspValues(const TspValues& arguments)>;

// What a function or a setting of the model throws when it refuses: the instrument's error
// code and text. A runtime error (-286) is reported with the script line it happened on.
struct TspError {
    int code = 0;
    std::string message;
};

// The number argument at `index` (0-based) of `function`, or `fallback` when it was left
// out; a TspError when it is not a number.
double numberArgument(const TspValues& arguments, std::size_t index, std::string_view function,
                      std::optional<double> fallback = std::nullopt);
// The text of a string or number argument; a TspError for anything else.
std::string textArgument(const TspValues& arguments, std::size_t index, std::string_view function);

}  // namespace tarvix::sim
