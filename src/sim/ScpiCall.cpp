#include "sim/ScpiCall.h"

#include "sim/ErrorQueue.h"
#include "sim/ScpiPattern.h"
#include "text/DecimalParse.h"

namespace tarvix::sim {

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

std::optional<double> ScpiCall::number(std::size_t index, double min, double max,
                                       double byDefault) {
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
    const auto value = text::parseDecimal(word);
    if (!value) {
        fail(errors::kDataType);
        return std::nullopt;
    }
    if (*value < min || *value > max) {
        fail(errors::kOutOfRange);
        return std::nullopt;
    }
    return value;
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
