// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QSize>
#include <optional>
#include <vector>

#include "ivtemp/Arrhenius.h"

namespace tarvix::ivtwindow {

// The Arrhenius plot through the plot room's renderer: ln|I| against 1000/T, the measured
// series joined in order of temperature and the fitted line over their span, titled axes.
QImage arrheniusPicture(QSize size, const std::vector<ivtemp::ArrheniusPoint>& points,
                        const std::optional<ivtemp::ArrheniusFit>& fit);

}  // namespace tarvix::ivtwindow
