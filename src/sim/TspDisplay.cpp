// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/TspDisplay.h"

#include <algorithm>
#include <cmath>

#include "sim/TspInterpreter.h"

namespace tarvix::sim {

namespace {

struct Constant {
    const char* name;
    double value;
};
constexpr Constant kConstants[] = {
    {"display.SMUA", 0},         {"display.SMUB", 1},           {"display.SMUA_SMUB", 2},
    {"display.USER", 3},         {"display.MEASURE_DCAMPS", 0}, {"display.MEASURE_DCVOLTS", 1},
    {"display.MEASURE_OHMS", 2}, {"display.MEASURE_WATTS", 3},
};

int wholeArgument(const TspValues& arguments, std::size_t index, std::string_view function,
                  double fallback) {
    return static_cast<int>(std::lround(numberArgument(arguments, index, function, fallback)));
}

}  // namespace

TspDisplay::TspDisplay(TspInterpreter& tsp) {
    for (const Constant& constant : kConstants) {
        tsp.addConstant(constant.name, constant.value);
    }
    tsp.addAttribute("display.screen", 0, 0, 3, true);
    tsp.addAttribute("display.smua.measure.func", 0, 0, 3, true);
    tsp.addFunction("display.clear", [this](const TspValues&) {
        clear();
        return TspValues{};
    });
    tsp.addFunction("display.setcursor", [this](const TspValues& arguments) {
        setCursor(wholeArgument(arguments, 0, "setcursor", 1),
                  wholeArgument(arguments, 1, "setcursor", 1));
        return TspValues{};
    });
    tsp.addFunction("display.settext", [this](const TspValues& arguments) {
        setText(textArgument(arguments, 0, "settext"));
        return TspValues{};
    });
    tsp.addFunction("display.gettext", [this](const TspValues& arguments) {
        return TspValues{text(wholeArgument(arguments, 1, "gettext", 0))};
    });
}

void TspDisplay::clear() {
    rows_ = {};
    row_ = 1;
    column_ = 1;
}

void TspDisplay::setCursor(int row, int column) {
    row_ = std::clamp(row, 1, kRows);
    column_ = static_cast<std::size_t>(
        std::clamp(column, 1, static_cast<int>(kWidths[static_cast<std::size_t>(row_ - 1)])));
}

void TspDisplay::setText(const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '$' || i + 1 == text.size()) {
            put(text[i]);
            continue;
        }
        const char code = text[++i];
        if (code == 'N' || code == 'n') {
            setCursor(row_ + 1, 1);
        } else if (code == '$') {
            put('$');
        }  // $R, $B, $D, $F: attributes of the characters, not characters
    }
}

void TspDisplay::put(char c) {
    std::string& row = rows_[static_cast<std::size_t>(row_ - 1)];
    if (column_ > kWidths[static_cast<std::size_t>(row_ - 1)]) {
        return;
    }
    if (row.size() < column_) {
        row.resize(column_, ' ');
    }
    row[column_ - 1] = c;
    ++column_;
}

std::string TspDisplay::text(int row) const {
    if (row == 0) {
        return rows_[0] + "$N" + rows_[1];
    }
    return row >= 1 && row <= kRows ? rows_[static_cast<std::size_t>(row - 1)] : std::string();
}

}  // namespace tarvix::sim
