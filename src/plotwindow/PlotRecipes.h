// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::plotwindow {

class PlotWindow;

// The plot window's part of the recipe language, the words after "plot":
//   size W H, fit, zoom X1 X2 Y1 Y2, log on|off, hover X Y, hide N, show N, save FILE
// (values in the data's units). Returns an empty text, or why the line cannot be run.
QString runPlotRecipe(PlotWindow& window, const QString& words);

}  // namespace tarvix::plotwindow
