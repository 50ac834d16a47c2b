// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>

namespace tarvix::series {

// Liang-Barsky: trims the segment a-b to the box (its edges included); false when nothing of
// it is inside.
bool clipToBox(QPoint& a, QPoint& b, const QRect& box);

}  // namespace tarvix::series
