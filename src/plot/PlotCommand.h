// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

namespace tarvix::plot {

// One "plot ..." line of a recipe, read but not yet done.
struct PlotCommand {
    enum class Kind { Size, Fit, Zoom, Log, Hover, Hide, Show, Save };
    Kind kind = Kind::Fit;
    std::vector<double> values;  // size: W H; zoom: X1 X2 Y1 Y2; hover: X Y; hide/show: N
    bool on = false;             // log on|off
    QString path;                // save FILE

    // Reads the words after "plot": size W H, fit, zoom X1 X2 Y1 Y2, log on|off, hover X Y,
    // hide N, show N, save FILE. False, with why, for anything else.
    static bool parse(const QString& words, PlotCommand& command, QString& why);
};

}  // namespace tarvix::plot
