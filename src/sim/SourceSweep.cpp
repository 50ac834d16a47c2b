// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SourceSweep.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "sim/ReadingText.h"

namespace tarvix::sim {

namespace {

constexpr int kMaxPoints = 2500;

}  // namespace

void SourceSweep::addCommands(ScpiCommandTable& table, ScpiSettings& settings,
                              std::array<double, 2> limits) {
    spacing_ = &settings.choice("[:SOURce]:SWEep:SPACing", {"LINear", "LOGarithmic"}, 0);
    direction_ = &settings.choice("[:SOURce]:SWEep:DIRection", {"UP", "DOWn"}, 0);
    settings.choice("[:SOURce]:SWEep:RANGing", {"BEST", "AUTO", "FIXed"}, 0);
    table.add(
        "[:SOURce]:SWEep:POINts",
        [this](ScpiCall& call) {
            if (const auto points = call.integer(0, 2, kMaxPoints, 2)) {
                pointsSet_ = *points;
            }
        },
        [this](ScpiCall& call) { call.reply(std::to_string(points(kVolts))); });
    addLevelCommands(table, kVolts, limits[kVolts]);
    addLevelCommands(table, kAmps, limits[kAmps]);
}

void SourceSweep::addLevelCommands(ScpiCommandTable& table, Quantity quantity, double limit) {
    const std::string node = quantity == kVolts ? "[:SOURce]:VOLTage" : "[:SOURce]:CURRent";
    const char* unit = quantity == kVolts ? "V" : "A";
    Levels* levels = &levels_[static_cast<std::size_t>(quantity)];
    const auto add = [&](const char* keyword, double Levels::*field, double min) {
        table.add(
            node + keyword,
            [this, levels, field, min, limit, unit](ScpiCall& call) {
                if (const auto value = call.number(0, min, limit, 0.0, unit)) {
                    levels->*field = *value;
                    pointsSet_ = field == &Levels::step ? 0 : pointsSet_;
                }
            },
            [levels, field](ScpiCall& call) {
                call.reply(readingText::signedExponent(levels->*field, 6));
            });
    };
    add(":STARt", &Levels::start, -limit);
    add(":STOP", &Levels::stop, -limit);
    add(":STEP", &Levels::step, -limit);
}

void SourceSweep::reset() {
    levels_ = {};
    pointsSet_ = 0;
}

int SourceSweep::points(Quantity quantity) const {
    if (pointsSet_ > 0) {
        return pointsSet_;
    }
    const Levels& levels = levels_[static_cast<std::size_t>(quantity)];
    if (levels.step == 0.0) {
        return 1;
    }
    const double steps = std::floor(std::abs((levels.stop - levels.start) / levels.step) + 1e-9);
    return static_cast<int>(std::min<double>(steps + 1, kMaxPoints));
}

double SourceSweep::level(Quantity quantity, int index) const {
    const Levels& levels = levels_[static_cast<std::size_t>(quantity)];
    const int count = points(quantity);
    const int last = std::max(count - 1, 1);
    const int point = std::min(index, count - 1);
    const bool up = *direction_ == 0;
    if (*spacing_ == 0 && pointsSet_ == 0) {
        // Steps of the size asked for; the stop is reached only when the span is a multiple.
        const double step = std::copysign(std::abs(levels.step), levels.stop - levels.start);
        return up ? levels.start + point * step : levels.stop - point * step;
    }
    const double fraction = static_cast<double>(up ? point : last - point) / last;
    if (*spacing_ == 1 && levels.start * levels.stop > 0.0) {
        return levels.start * std::pow(levels.stop / levels.start, fraction);
    }
    return levels.start + (levels.stop - levels.start) * fraction;
}

}  // namespace tarvix::sim
