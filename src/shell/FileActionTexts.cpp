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

QString busy(const QString& caption) {
    return tr("\"%1\" waits: a measurement is running; press Stop first").arg(caption);
}

}  // namespace tarvix::shell::file_action_texts
