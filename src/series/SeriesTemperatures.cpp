// SPDX-License-Identifier: GPL-3.0-or-later
#include "series/SeriesTemperatures.h"

#include <QRegularExpression>

#include "series/SeriesStore.h"

namespace tarvix::series {

QString labelWithTemperatures(const QString& label, const SeriesTemperatures& temperatures) {
    return QStringLiteral("%1 @ %2..%3 K")
        .arg(label)
        .arg(temperatures.beforeK, 0, 'f', 2)
        .arg(temperatures.afterK, 0, 'f', 2);
}

std::optional<SeriesTemperatures> temperaturesInLabel(const QString& label) {
    static const QRegularExpression pattern(
        QStringLiteral(R"( @ (\d{1,6}(?:\.\d{1,6})?)\.\.(\d{1,6}(?:\.\d{1,6})?) K$)"));
    const QRegularExpressionMatch match = pattern.match(label);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    return SeriesTemperatures{match.captured(1).toDouble(), match.captured(2).toDouble()};
}

std::optional<SeriesTemperatures> seriesTemperatures(const SeriesStore& store, int series) {
    if (!SeriesStore::validSeries(series)) {
        return std::nullopt;
    }
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        if (store.storedCount(segment, series) > 0) {
            if (auto found = temperaturesInLabel(store.segmentLabel(segment, series))) {
                return found;
            }
        }
    }
    return std::nullopt;
}

}  // namespace tarvix::series
