// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/IvStoreSource.h"

#include <QHashFunctions>
#include <algorithm>

#include "plot/SeriesPalette.h"
#include "plot/SiText.h"
#include "series/IvChartPlotter.h"
#include "series/SeriesStore.h"

namespace tarvix::plot {

using series::IvChartPlotter;
using series::SeriesStore;

Quantity IvStoreSource::xQuantity() const {
    return {QStringLiteral("Voltage"), QStringLiteral("V"), false, true};
}

Quantity IvStoreSource::yQuantity() const {
    return {QStringLiteral("Current"), QStringLiteral("A"), true, true};
}

std::uint64_t IvStoreSource::liveRevision() const {
    std::size_t hash = qHashMulti(0x51ED5EEDu, store_.liveGeneration());
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        hash = qHashMulti(hash, IvChartPlotter::pointCount(store_.liveCurrent(segment)));
    }
    return hash;
}

std::uint64_t IvStoreSource::stamp() const {
    return qHashMulti(liveRevision(), store_.storedRevision(), store_.seriesCount);
}

std::vector<int> IvStoreSource::flaggedPoints(int slot, int segment, int count) const {
    std::vector<int> flagged;
    for (int point = 1; point <= count; ++point) {
        if (slot == 0 ? store_.liveAtCompliance(segment, point)
                      : store_.atCompliance(slot, segment, point)) {
            flagged.push_back(point - 1);
        }
    }
    return flagged;
}

const std::vector<int>& IvStoreSource::storedFlags(int slot, std::uint64_t revision, int segment,
                                                   int count) const {
    KnownFlags& known = flags_[slot];
    if (known.revision != revision) {
        known = KnownFlags{};
        known.revision = revision;
    }
    const auto index = static_cast<std::size_t>(segment);
    if (!known.read[index]) {
        known.segments[index] = flaggedPoints(slot, segment, count);
        known.read[index] = true;
    }
    return known.segments[index];
}

std::vector<PlotSeries> IvStoreSource::series() const {
    std::vector<PlotSeries> found;
    const int lastSeries = std::clamp(store_.seriesCount, 0, SeriesStore::kMaxSeries);
    for (int slot = 1; slot <= lastSeries; ++slot) {
        PlotSeries one;
        one.key = slot;
        one.colour = seriesColour(slot);
        one.revision = store_.seriesRevision(slot);
        for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
            const float* current = store_.storedCurrent(segment, slot);
            const int count = IvChartPlotter::pointCount(current);
            if (count >= 1) {
                one.segments.push_back({segment, store_.storedVoltage(segment, slot) + 1,
                                        current + 1, count,
                                        storedFlags(slot, one.revision, segment, count)});
            }
        }
        // Empty slots (between sweeps, after a save) are no series: the rest are numbered
        // in order, as a save and an open would number them.
        if (!one.segments.empty()) {
            one.number = static_cast<int>(found.size()) + 1;
            found.push_back(std::move(one));
        }
    }
    PlotSeries live;
    live.live = true;
    live.colour = kLiveColour;
    live.revision = liveRevision();
    for (int segment = 1; segment <= SeriesStore::kSegments; ++segment) {
        const float* current = store_.liveCurrent(segment);
        const int count = IvChartPlotter::pointCount(current);
        if (count >= 1) {
            live.segments.push_back({segment, store_.liveVoltage(segment) + 1, current + 1, count,
                                     flaggedPoints(0, segment, count)});
        }
    }
    if (!live.segments.empty()) {
        found.push_back(std::move(live));
    }
    return found;
}

QString IvStoreSource::seriesName(const PlotSeries& series) {
    QString name = series.live ? QStringLiteral("Running run")
                               : QStringLiteral("Series %1").arg(series.number);
    if (!series.comment.isEmpty()) {
        name += QStringLiteral(" \"%1\"").arg(series.comment);
    }
    return name;
}

QString IvStoreSource::pointText(const PlotSeries& series, const PlotSegment& segment,
                                 int point) const {
    const double voltage = segment.x[point];
    const double current = segment.y[point];
    const bool flagged = std::binary_search(segment.flagged.begin(), segment.flagged.end(), point);
    return QStringLiteral("%1, segment %2: V = %3, I = %4, V/I = %5%6")
        .arg(seriesName(series), QString::number(segment.number),
             siValueText(voltage, QStringLiteral("V")), siValueText(current, QStringLiteral("A")),
             siValueText(voltage / current, QStringLiteral("Ω")),
             flagged ? QStringLiteral(", at compliance") : QString());
}

}  // namespace tarvix::plot
