// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/FileActionTexts.h"

#include <QCoreApplication>
#include <QDir>

#include "series/KtlFileStoreSteps.h"
#include "series/SeriesStore.h"

namespace tarvix::shell::file_action_texts {

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("FileActionTexts", text);
}

}  // namespace

int seriesHeld(const series::SeriesStore& store) {
    int held = 0;
    for (int slot = 1; slot <= store.seriesCount; ++slot) {
        held += series::slotHoldsData(store, slot) ? 1 : 0;
    }
    return held;
}

QString saved(const QString& path, int series) {
    return tr("Saved %1 series to %2").arg(series).arg(QDir::toNativeSeparators(path));
}

QString read(const QString& path, int series) {
    return tr("Read %1 series from %2").arg(series).arg(QDir::toNativeSeparators(path));
}

QString exported(const QString& path, int series) {
    return tr("Exported %1 series to %2").arg(series).arg(QDir::toNativeSeparators(path));
}

QString savedTimeDependence(const QString& path) {
    return tr("Saved the time dependence to %1").arg(QDir::toNativeSeparators(path));
}

QString savedPicture(const QString& path) {
    return tr("Saved the chart picture to %1").arg(QDir::toNativeSeparators(path));
}

QString exportedTable(const QString& action, const QString& path) {
    return tr("%1: wrote %2").arg(action, QDir::toNativeSeparators(path));
}

QString savedFourProbeRecord(const QString& path) {
    return tr("Saved the four-probe record to %1").arg(QDir::toNativeSeparators(path));
}

QString savedThermocoupleRecord(const QString& path) {
    return tr("Saved the thermocouple record to %1").arg(QDir::toNativeSeparators(path));
}

QString savedStraightenedCurve(const QString& path) {
    return tr("Saved the straightened curve to %1").arg(QDir::toNativeSeparators(path));
}

QString savedMeasuredSegment(const QString& path) {
    return tr("Saved the measured segment to %1").arg(QDir::toNativeSeparators(path));
}

QString savedAllSeries(const QString& path, const QString& logPath) {
    return tr("Saved every series to %1 and %2")
        .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(logPath));
}

QString notSeriesFile(const QString& path, const QString& reason) {
    return tr("%1 is not a series file (%2)").arg(QDir::toNativeSeparators(path), reason);
}

QString busy(const QString& caption) {
    return tr("\"%1\" waits: a measurement is running; press Stop first").arg(caption);
}

}  // namespace tarvix::shell::file_action_texts
