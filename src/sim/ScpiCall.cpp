// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiCall.h"

#include "sim/ErrorQueue.h"
#include "sim/ScpiLetters.h"
#include "sim/ScpiPattern.h"
#include "text/DecimalParse.h"

#include <cctype>
#include <cmath>

namespace tarvix::sim {

namespace {

// The multiplier a suffix puts before `unit`. IEEE 488.2 reads "M" as milli and "MA" as
// mega, except before HZ and OHM, where "M" alone means mega.
std::optional<double> multiplier(std::string_view prefix, std::string_view unit) {
    if (prefix.empty()) {
        return 1.0;
    }
    if (equalsIgnoringCase("M", prefix)) {
        return unit == "HZ" || unit == "OHM" ? 1e6 : 1e-3;
    }
    static constexpr struct {
        std::string_view letters;
        double factor;
    } kMultipliers[] = {{"EX", 1e18}, {"PE", 1e15}, {"T", 1e12}, {"G", 1e9},   {"MA", 1e6},
                        {"K", 1e3},   {"U", 1e-6},  {"N", 1e-9}, {"P", 1e-12}, {"F", 1e-15}};
    for (const auto& entry : kMultipliers) {
        if (equalsIgnoringCase(entry.letters, prefix)) {
            return entry.factor;
        }
    }
    return std::nullopt;
}

// The end of the decimal number at the start of `text` (mantissa and optional exponent).
std::size_t numberLength(std::string_view text) {
    std::size_t i = 0;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
            ++i;
        }
        return i - from;
    };
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        ++i;
    }
    std::size_t mantissa = digits();
    if (i < text.size() && text[i] == '.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) {
        return 0;
    }
    const std::size_t beforeExponent = i;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            ++i;
        }
        if (digits() == 0) {
            return beforeExponent;
        }
    }
    return i;
}

}  // namespace

ScpiCall::ScpiCall(std::vector<std::string_view> parameters) : parameters_(std::move(parameters)) {}

void ScpiCall::fail(int code) {
    if (error_ == 0) {
        error_ = code;
    }
}

std::optional<std::string_view> ScpiCall::present(std::size_t index) {
    if (index >= parameters_.size() || parameters_[index].empty()) {
        fail(errors::kMissingParameter);
        return std::nullopt;
    }
    return parameters_[index];
}

std::optional<double> ScpiCall::number(std::size_t index, double min, double max, double byDefault,
                                       std::string_view unit) {
    const auto text = present(index);
    if (!text) {
        return std::nullopt;
    }
    const std::string_view word = *text;
    if (ScpiPattern("MINimum").matchesPath(word)) {
        return min;
    }
    if (ScpiPattern("MAXimum").matchesPath(word)) {
        return max;
    }
    if (ScpiPattern("DEFault").matchesPath(word)) {
        return byDefault;
    }
    const std::size_t length = numberLength(word);
    auto value = length == 0 ? std::nullopt : text::parseDecimal(word.substr(0, length));
    if (!value) {
        fail(errors::kDataType);
        return std::nullopt;
    }
    std::string_view suffix = word.substr(length);
    while (!suffix.empty() && std::isspace(static_cast<unsigned char>(suffix.front()))) {
        suffix.remove_prefix(1);
    }
    if (!suffix.empty()) {
        const bool endsWithUnit =
            !unit.empty() && suffix.size() >= unit.size() &&
            equalsIgnoringCase(unit, suffix.substr(suffix.size() - unit.size()));
        const auto factor = endsWithUnit
                                ? multiplier(suffix.substr(0, suffix.size() - unit.size()), unit)
                                : std::nullopt;
        if (!factor) {
            fail(errors::kInvalidSuffix);
            return std::nullopt;
        }
        *value *= *factor;
    }
    if (*value < min || *value > max) {
        fail(errors::kOutOfRange);
        return std::nullopt;
    }
    return value;
}

std::optional<int> ScpiCall::integer(std::size_t index, int min, int max, int byDefault) {
    const auto value = number(index, min, max, byDefault);
    if (!value) {
        return std::nullopt;
    }
    return static_cast<int>(std::lround(*value));  // instruments round a real to the count
}

std::optional<bool> ScpiCall::boolean(std::size_t index) {
    const auto text = present(index);
    if (!text) {
        return std::nullopt;
    }
    if (*text == "1" || ScpiPattern("ON").matchesPath(*text)) {
        return true;
    }
    if (*text == "0" || ScpiPattern("OFF").matchesPath(*text)) {
        return false;
    }
    fail(errors::kIllegalValue);
    return std::nullopt;
}

std::optional<int> ScpiCall::choice(std::size_t index, std::span<const std::string_view> keywords) {
    const auto text = present(index);
    if (!text) {
        return std::nullopt;
    }
    if (text->find(':') == std::string_view::npos) {
        int position = 0;
        for (const std::string_view keyword : keywords) {
            if (ScpiPattern(keyword).matchesPath(*text)) {
                return position;
            }
            ++position;
        }
    }
    fail(errors::kIllegalValue);
    return std::nullopt;
}

std::optional<int> ScpiCall::quotedChoice(std::size_t index,
                                          std::span<const std::string_view> paths) {
    const auto text = present(index);
    if (!text) {
        return std::nullopt;
    }
    const char quote = text->front();
    if (text->size() < 2 || (quote != '"' && quote != '\'') || text->back() != quote) {
        fail(errors::kDataType);
        return std::nullopt;
    }
    const std::string_view content = text->substr(1, text->size() - 2);
    int position = 0;
    for (const std::string_view path : paths) {
        if (ScpiPattern(path).matchesPath(content)) {
            return position;
        }
        ++position;
    }
    fail(errors::kIllegalValue);
    return std::nullopt;
}

std::optional<int> ScpiCall::channel(std::size_t index, int first, int last) {
    const auto text = present(index);
    if (!text) {
        return std::nullopt;
    }
    if (text->size() < 4 || !text->starts_with("(@") || text->back() != ')') {
        fail(errors::kDataType);
        return std::nullopt;
    }
    const auto number = text::parseInteger(text->substr(2, text->size() - 3));
    if (!number) {
        fail(errors::kDataType);
        return std::nullopt;
    }
    if (*number < first || *number > last) {
        fail(errors::kOutOfRange);
        return std::nullopt;
    }
    return number;
}

}  // namespace tarvix::sim
