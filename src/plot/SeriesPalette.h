// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRgb>

namespace tarvix::plot {

// The colour of series `number` (1, 2, ...): ten colours that stay apart on white and for
// the colour-blind, in turn. The run being measured is drawn in kLiveColour.
QRgb seriesColour(int number);
constexpr QRgb kLiveColour = qRgb(0, 0, 0);

}  // namespace tarvix::plot
