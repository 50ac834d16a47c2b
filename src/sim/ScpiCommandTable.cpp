// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiCommandTable.h"

#include "sim/TextNesting.h"

#include <cctype>

#include "sim/ErrorQueue.h"

namespace tarvix::sim {

namespace {

bool validHeaderCharacter(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == ':' || c == '*' || c == '_';
}

// The longest keyword IEEE 488.2 allows.
constexpr std::size_t kMaxMnemonic = 12;

}  // namespace

void ScpiCommandTable::add(std::string_view pattern, Handler set, Handler query, int minParameters,
                           int maxParameters) {
    entries_.push_back(
        {ScpiPattern(pattern), std::move(set), std::move(query), minParameters, maxParameters});
}

void ScpiCommandTable::addCommand(std::string_view pattern, Handler run) {
    add(pattern, std::move(run), {}, 0, 0);
}

void ScpiCommandTable::addQuery(std::string_view pattern, Handler query) {
    add(pattern, {}, std::move(query), 0, 0);
}

void ScpiCommandTable::Run::fail(int code) const {
    outcome.errors.push_back(code);
    if (raised) {
        raised(code);
    }
}

ScpiOutcome ScpiCommandTable::execute(std::string_view message, const ErrorSink& raised) const {
    ScpiOutcome outcome;
    const Run context{outcome, raised};
    std::vector<std::string_view> path;
    for (const std::string_view text : split(message, ';')) {
        const std::string_view unitText = trim(text);
        if (unitText.empty()) {
            continue;
        }
        std::size_t headerEnd = 0;
        while (headerEnd < unitText.size() &&
               !std::isspace(static_cast<unsigned char>(unitText[headerEnd]))) {
            ++headerEnd;
        }
        Unit unit{unitText.substr(0, headerEnd), {}};
        const std::string_view parameterText = trim(unitText.substr(headerEnd));
        if (!parameterText.empty()) {
            for (const std::string_view parameter : split(parameterText, ',')) {
                unit.parameters.push_back(trim(parameter));
            }
        }
        run(unit, path, context);
    }
    return outcome;
}

int ScpiCommandTable::headerError(std::string_view header) {
    for (const char c : header) {
        if (!validHeaderCharacter(c)) {
            return errors::kUndefinedHeader;
        }
    }
    for (const std::string_view keyword : ScpiPattern::splitPath(header)) {
        if (keyword.size() > kMaxMnemonic) {
            return errors::kMnemonicTooLong;
        }
    }
    return 0;
}

void ScpiCommandTable::run(const Unit& unit, std::vector<std::string_view>& path,
                           const Run& context) const {
    std::string_view header = unit.header;
    const bool query = header.ends_with('?');
    if (query) {
        header.remove_suffix(1);
    }
    if (header.ends_with(':')) {
        header.remove_suffix(1);  // "MEAS:" names the node itself
    }
    const bool absolute = header.starts_with(':');
    if (absolute) {
        header.remove_prefix(1);  // ":*CLS" is the common command too
    }
    if (const int error = headerError(header)) {
        context.fail(error);
        return;
    }
    const std::vector<std::string_view> keywords = ScpiPattern::splitPath(header);
    const bool common = header.starts_with('*');
    std::vector<std::string_view> resolved = keywords;
    const Entry* entry = nullptr;
    if (!absolute && !common && !path.empty()) {
        resolved = path;
        resolved.insert(resolved.end(), keywords.begin(), keywords.end());
        entry = find(resolved, query);
    }
    if (!entry) {
        resolved = keywords;
        entry = find(resolved, query);
    }
    if (!common) {
        path.assign(resolved.begin(), resolved.end() - 1);
    }
    if (!entry || !(query ? entry->query : entry->set)) {
        context.fail(errors::kUndefinedHeader);
        return;
    }
    call(*entry, query, unit.parameters, context);
}

void ScpiCommandTable::call(const Entry& entry, bool query,
                            std::vector<std::string_view> parameters, const Run& context) {
    const int count = static_cast<int>(parameters.size());
    const int min = query ? 0 : entry.minParameters;
    const int max = query ? 0 : entry.maxParameters;
    if (count < min) {
        context.fail(errors::kMissingParameter);
        return;
    }
    if (count > max) {
        context.fail(errors::kParameterNotAllowed);
        return;
    }
    ScpiCall scpiCall(std::move(parameters));
    (query ? entry.query : entry.set)(scpiCall);
    if (scpiCall.error() != 0) {
        context.fail(scpiCall.error());
    }
    ScpiOutcome& outcome = context.outcome;
    outcome.replies.insert(outcome.replies.end(), scpiCall.replies().begin(),
                           scpiCall.replies().end());
}

const ScpiCommandTable::Entry* ScpiCommandTable::find(const std::vector<std::string_view>& keywords,
                                                      bool query) const {
    const Entry* anyForm = nullptr;
    for (const Entry& entry : entries_) {
        if (entry.pattern.matches(keywords)) {
            if (query ? entry.query : entry.set) {
                return &entry;
            }
            anyForm = anyForm ? anyForm : &entry;
        }
    }
    return anyForm;
}

std::vector<std::string_view> ScpiCommandTable::split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    TextNesting nesting(true);
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (nesting.feed(c) && c == separator && (nesting.depth() == 0 || separator == ';')) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.substr(start));
    return parts;
}

std::string_view ScpiCommandTable::trim(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
        text.remove_prefix(1);
    }
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
        text.remove_suffix(1);
    }
    return text;
}

}  // namespace tarvix::sim
