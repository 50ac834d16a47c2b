#include "sim/TspInterpreter.h"

#include "sim/TextNesting.h"

#include <cctype>
#include <cmath>

#include "sim/ReadingText.h"
#include "text/DecimalParse.h"

namespace tarvix::sim {

namespace {

constexpr int kMaxNesting = 16;

std::string_view trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

// Splits at any of `separators` outside quotes and parentheses; also cuts "--" comments.
std::vector<std::string_view> splitTopLevel(std::string_view text, std::string_view separators,
                                            bool cutComments = false) {
    std::vector<std::string_view> parts;
    TextNesting nesting(false);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (!nesting.feed(c)) {
            continue;
        }
        if (nesting.depth() == 0 && separators.find(c) != std::string_view::npos) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        } else if (c == '-' && i + 1 < text.size() && text[i + 1] == '-' && cutComments) {
            parts.push_back(text.substr(start, i - start));
            const std::size_t lineEnd = text.find('\n', i);
            i = lineEnd == std::string_view::npos ? text.size() : lineEnd;
            start = i + 1;
        }
    }
    if (start <= text.size()) {
        parts.push_back(text.substr(start));
    }
    return parts;
}

bool isIdentifier(std::string_view text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text.front())) ||
        text.front() == '.' || text.back() == '.') {
        return false;
    }
    for (const char c : text) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_' && c != '.') {
            return false;
        }
    }
    return true;
}

// The position of a lone "=" outside quotes and parentheses, or npos.
std::size_t assignmentSign(std::string_view text) {
    char quote = 0;
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quote != 0) {
            quote = c == quote ? 0 : quote;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '(' || c == ')') {
            depth += c == '(' ? 1 : -1;
        } else if (c == '=' && depth == 0) {
            const bool compared =
                (i + 1 < text.size() && text[i + 1] == '=') ||
                (i > 0 && std::string_view("=~<>").find(text[i - 1]) != std::string_view::npos);
            return compared ? std::string_view::npos : i;
        }
    }
    return std::string_view::npos;
}

std::string near(std::string_view text) {
    return std::string(text.substr(0, 24));
}

}  // namespace

void TspInterpreter::addAttribute(std::string name, double initial, double min, double max,
                                  bool integral) {
    attributes_[std::move(name)] = {initial, initial, min, max, integral, {}};
}

void TspInterpreter::addReadOnlyAttribute(std::string name, std::function<double()> value) {
    Attribute attribute;
    attribute.readOnly = std::move(value);
    attributes_[std::move(name)] = std::move(attribute);
}

void TspInterpreter::addConstant(std::string name, double value) {
    constants_[std::move(name)] = value;
}

void TspInterpreter::addFunction(std::string name, Function function) {
    functions_[std::move(name)] = std::move(function);
}

double TspInterpreter::value(std::string_view attribute) const {
    const auto found = attributes_.find(attribute);
    if (found == attributes_.end()) {
        return 0.0;
    }
    return found->second.readOnly ? found->second.readOnly() : found->second.value;
}

void TspInterpreter::resetAttributes() {
    for (auto& [name, attribute] : attributes_) {
        attribute.value = attribute.initial;
    }
}

std::string TspInterpreter::numberText(double value) {
    return readingText::plainExponent(value, 5);
}

void TspInterpreter::run(std::string_view chunk, std::vector<std::string>& output,
                         ErrorQueue& errors) {
    for (const std::string_view part : splitTopLevel(chunk, "\n;", true)) {
        const std::string_view text = trim(part);
        if (text.empty()) {
            continue;
        }
        if (const auto failure = statement(text, output)) {
            errors.push(failure->code, failure->message);
        }
    }
}

std::optional<TspInterpreter::Failure> TspInterpreter::statement(std::string_view text,
                                                                 std::vector<std::string>& output) {
    const std::size_t sign = assignmentSign(text);
    if (sign != std::string_view::npos) {
        return assign(trim(text.substr(0, sign)), trim(text.substr(sign + 1)));
    }
    const std::size_t open = text.find('(');
    const std::string_view name = trim(text.substr(0, open));
    if (open == std::string_view::npos || !text.ends_with(')') || !isIdentifier(name)) {
        return Failure{errors::kTspSyntax,
                       "TSP Syntax error at line 1: unexpected symbol near '" + near(text) + "'"};
    }
    const std::string_view arguments = text.substr(open + 1, text.size() - open - 2);
    if (name == "print") {
        std::vector<Value> values;
        for (const std::string_view argument : splitTopLevel(arguments, ",")) {
            if (trim(argument).empty() && trim(arguments).empty()) {
                break;
            }
            Result result = evaluate(argument);
            if (auto* failure = std::get_if<Failure>(&result)) {
                return *failure;
            }
            auto& results = std::get<std::vector<Value>>(result);
            values.insert(values.end(), results.begin(), results.end());
        }
        output.push_back(printed(values));
        return std::nullopt;
    }
    Result result = call(name, arguments);
    if (auto* failure = std::get_if<Failure>(&result)) {
        return *failure;
    }
    return std::nullopt;
}

std::optional<TspInterpreter::Failure> TspInterpreter::assign(std::string_view name,
                                                              std::string_view expression) {
    if (!isIdentifier(name)) {
        return Failure{errors::kTspSyntax,
                       "TSP Syntax error at line 1: unexpected symbol near '" + near(name) + "'"};
    }
    const auto found = attributes_.find(name);
    if (found == attributes_.end() || found->second.readOnly) {
        return Failure{errors::kTspRuntime,
                       "TSP Runtime error at line 1: attempt to assign "
                       "to an unknown or read-only field '" +
                           near(name) + "'"};
    }
    Result result = evaluate(expression);
    if (auto* failure = std::get_if<Failure>(&result)) {
        return *failure;
    }
    const auto& values = std::get<std::vector<Value>>(result);
    const double* number = values.empty() ? nullptr : std::get_if<double>(&values.front());
    Attribute& attribute = found->second;
    if (!number) {
        return Failure{errors::kTspRuntime,
                       "TSP Runtime error at line 1: bad argument, number expected"};
    }
    if (*number < attribute.min || *number > attribute.max ||
        (attribute.integral && std::floor(*number) != *number)) {
        return Failure{errors::kOutOfRange, std::string(errors::text(errors::kOutOfRange))};
    }
    attribute.value = *number;
    return std::nullopt;
}

TspInterpreter::Result TspInterpreter::evaluate(std::string_view expression) {
    const std::string_view text = trim(expression);
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') &&
        text.back() == text.front()) {
        return std::vector<Value>{std::string(text.substr(1, text.size() - 2))};
    }
    if (const auto number = text::parseDecimal(text)) {
        return std::vector<Value>{*number};
    }
    if (const auto constant = constants_.find(text); constant != constants_.end()) {
        return std::vector<Value>{constant->second};
    }
    if (attributes_.contains(text)) {
        return std::vector<Value>{value(text)};
    }
    const std::size_t open = text.find('(');
    if (open != std::string_view::npos && text.ends_with(')') &&
        isIdentifier(trim(text.substr(0, open)))) {
        return call(trim(text.substr(0, open)), text.substr(open + 1, text.size() - open - 2));
    }
    if (isIdentifier(text)) {
        return Failure{
            errors::kTspRuntime,
            "TSP Runtime error at line 1: attempt to index a nil value near '" + near(text) + "'"};
    }
    return Failure{errors::kTspSyntax,
                   "TSP Syntax error at line 1: unexpected symbol near '" + near(text) + "'"};
}

TspInterpreter::Result TspInterpreter::call(std::string_view name, std::string_view argumentText) {
    const auto found = functions_.find(name);
    if (found == functions_.end()) {
        return Failure{errors::kTspRuntime,
                       "TSP Runtime error at line 1: attempt to call a nil value (field '" +
                           near(name) + "')"};
    }
    std::vector<Value> arguments;
    if (!trim(argumentText).empty()) {
        // Arguments are plain values here: nested calls stay shallow.
        int nesting = 0;
        for (const char c : argumentText) {
            nesting += c == '(' ? 1 : 0;
        }
        if (nesting > kMaxNesting) {
            return Failure{errors::kTspSyntax,
                           "TSP Syntax error at line 1: chunk has too many "
                           "syntax levels"};
        }
        for (const std::string_view argument : splitTopLevel(argumentText, ",")) {
            Result result = evaluate(argument);
            if (std::holds_alternative<Failure>(result)) {
                return result;
            }
            auto& values = std::get<std::vector<Value>>(result);
            if (!values.empty()) {
                arguments.push_back(values.front());
            }
        }
    }
    return found->second(arguments);
}

std::string TspInterpreter::printed(const std::vector<Value>& values) {
    std::string text;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) {
            text += '\t';
        }
        if (const double* number = std::get_if<double>(&values[i])) {
            text += numberText(*number);
        } else {
            text += std::get<std::string>(values[i]);
        }
    }
    return text;
}

}  // namespace tarvix::sim
