// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

namespace tarvix::series {
class SeriesStore;
}

namespace tarvix::shell {

// What the status line says after a file action, and when a store action must wait.
namespace file_action_texts {

// The series of the store that hold at least one point.
int seriesHeld(const series::SeriesStore& store);

QString saved(const QString& path, int series);
QString read(const QString& path, int series);
QString exported(const QString& path, int series);
QString savedTimeDependence(const QString& path);
QString savedPicture(const QString& path);
// A tidy table written by the File menu entry `action` (its text without the dots).
QString exportedTable(const QString& action, const QString& path);
QString savedFourProbeRecord(const QString& path);
QString savedThermocoupleRecord(const QString& path);
QString savedStraightenedCurve(const QString& path);
QString savedMeasuredSegment(const QString& path);
// The two-column files of every series: the values and their logarithmic twin.
QString savedAllSeries(const QString& path, const QString& logPath);
// An open refused before anything changed: the file holds no series blocks.
QString notSeriesFile(const QString& path, const QString& reason);
QString busy(const QString& caption);

}  // namespace file_action_texts

}  // namespace tarvix::shell
