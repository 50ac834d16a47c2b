// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::analysis {

// The resistance of the Ohm's-law fit as Label27 shows it (Label25 "R=" stands before it):
// below 1 ohm and from 1e11 ohms on in the general form, otherwise with four significant
// figures (whole units from five digits on) in ohms, kilo-ohms (from 1e5) or mega-ohms (from
// 1e6), the unit chosen by the rounded figure: "1.444 MOm". A resistance
// that the fit does not determine (no line, or a zero slope) reads "не определено".
QString resistanceText(double ohms);

// 1 / slope, or no value when the slope is zero or the line undefined.
QString resistanceTextForSlope(double slope, bool lineDefined);

}  // namespace tarvix::analysis
