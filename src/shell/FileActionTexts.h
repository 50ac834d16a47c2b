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
QString busy(const QString& caption);

}  // namespace file_action_texts

}  // namespace tarvix::shell
