// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPoint>
#include <QRect>
#include <QString>
#include <QStringList>
#include <span>

// Tick labels a reader can tell apart: as few digits as make neighbouring values read
// differently, and a label step that keeps their boxes from overlapping.
namespace tarvix::series {

// Texts of evenly spaced tick values, always with a full stop. Fixed notation with at least
// `minDecimals` decimals while the values are of everyday size, otherwise a mantissa and
// exponent ("3.80e-6"); more digits are added until no two neighbours read the same. A
// rounding residue next to a zero tick reads as 0.
QStringList tickTexts(std::span<const double> values, int minDecimals);

// The box a chart label of this text takes with its top-left corner at `topLeft`.
QRect labelBox(QPoint topLeft, const QString& text, bool bold = false);

// The smallest step 1, 2, 4, ... through the labels for which the labels at 0, step,
// 2 step, ... keep at least a pixel between their boxes; past the last label when even two
// cannot stand apart.
int labelStride(std::span<const QRect> boxes);

}  // namespace tarvix::series
