// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/ScpiSettings.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

std::string shortForm(std::string_view keyword) {
    std::string text;
    for (const char c : keyword) {
        if (std::islower(static_cast<unsigned char>(c))) {
            break;
        }
        text += c;
    }
    return text;
}

}  // namespace

ScpiSettings::Stored& ScpiSettings::store() {
    return stored_.emplace_back();
}

double& ScpiSettings::number(const Number& row) {
    Stored& stored = store();
    stored.number = stored.initialNumber = row.initial;
    double* value = &stored.number;
    table_.add(
        row.pattern,
        [row, value](ScpiCall& call) {
            auto number = call.number(0, row.min, row.max, row.initial, row.unit);
            if (!number) {
                return;
            }
            if (!row.steps.empty()) {
                const double wanted = std::abs(*number);
                const auto step = std::find_if(row.steps.begin(), row.steps.end(),
                                               [wanted](double s) { return s >= wanted; });
                number = step == row.steps.end() ? row.steps.back() : *step;
            }
            *value = *number;
            if (row.autoOff) {
                *row.autoOff = false;
            }
        },
        [value](ScpiCall& call) { call.reply(readingText::signedExponent(*value, 6)); });
    return *value;
}

int& ScpiSettings::integer(std::string_view pattern, int min, int max, int initial) {
    Stored& stored = store();
    stored.index = stored.initialIndex = initial;
    int* value = &stored.index;
    table_.add(
        pattern,
        [value, min, max, initial](ScpiCall& call) {
            if (const auto number = call.integer(0, min, max, initial)) {
                *value = *number;
            }
        },
        [value](ScpiCall& call) { call.reply(std::to_string(*value)); });
    return *value;
}

bool& ScpiSettings::flag(std::string_view pattern, bool initial) {
    Stored& stored = store();
    stored.on = stored.initialOn = initial;
    bool* value = &stored.on;
    table_.add(
        pattern,
        [value](ScpiCall& call) {
            if (const auto on = call.boolean(0)) {
                *value = *on;
            }
        },
        [value](ScpiCall& call) { call.reply(*value ? "1" : "0"); });
    return *value;
}

int& ScpiSettings::choice(std::string_view pattern,
                          std::initializer_list<std::string_view> keywords, int initial) {
    Stored& stored = store();
    stored.index = stored.initialIndex = initial;
    int* value = &stored.index;
    std::vector<std::string>& names = keywords_.emplace_back(keywords.begin(), keywords.end());
    table_.add(
        pattern,
        [value, &names](ScpiCall& call) {
            std::vector<std::string_view> views(names.begin(), names.end());
            if (const auto index = call.choice(0, views)) {
                *value = *index;
            }
        },
        [value, &names](ScpiCall& call) {
            call.reply(shortForm(names[static_cast<std::size_t>(*value)]));
        });
    return *value;
}

void ScpiSettings::reset() {
    for (Stored& stored : stored_) {
        stored.number = stored.initialNumber;
        stored.index = stored.initialIndex;
        stored.on = stored.initialOn;
    }
}

}  // namespace tarvix::sim
