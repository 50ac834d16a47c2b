// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/RecordSource.h"

#include <QHashFunctions>
#include <algorithm>

#include "plot/SeriesPalette.h"
#include "plot/SiText.h"
#include "thermo/ThermoRecord.h"

namespace tarvix::plot {

namespace {

constexpr double kSecondsPerDay = 86400.0;

const Quantity kTemperature{QStringLiteral("Temperature"), QStringLiteral("°C"), false, false};
const Quantity kKelvin{QStringLiteral("Temperature"), QStringLiteral("K"), false, false};
const Quantity kResistance{QStringLiteral("Resistance"), QStringLiteral("Ω"), false, true};
const Quantity kTime{QStringLiteral("Time"), QStringLiteral("s"), false, false};

}  // namespace

bool RecordSource::thermocouple() const {
    return record_.filledBy == thermo::ThermoRunKind::Thermocouple;
}

QString RecordSource::title() const {
    return against_ == Against::Time ? QStringLiteral("Resistance against time")
                                     : QStringLiteral("Resistance against temperature");
}

Quantity RecordSource::xQuantity() const {
    return againstTime() ? kTime : kTemperature;
}

Quantity RecordSource::yQuantity() const {
    return thermocouple() ? kKelvin : kResistance;
}

std::uint64_t RecordSource::stamp() const {
    const int count = std::clamp(record_.thermoCount, 0, thermo::ThermoRecord::kMaxSamples);
    const auto last = static_cast<std::size_t>(count);
    return qHashMulti(0x7E4Du, count, static_cast<int>(record_.filledBy), record_.thermoTime[last],
                      record_.thermoResistance[last], record_.thermoTemp[1]);
}

void RecordSource::copyOut() const {
    const std::uint64_t now = stamp();
    if (now == copied_ && !x_.empty()) {
        return;
    }
    copied_ = now;
    const int count = std::clamp(record_.thermoCount, 0, thermo::ThermoRecord::kMaxSamples);
    x_.assign(static_cast<std::size_t>(count), 0.0f);
    y_.assign(static_cast<std::size_t>(count), 0.0f);
    const double start = record_.thermoTime[1];
    for (int k = 1; k <= count; ++k) {
        const auto at = static_cast<std::size_t>(k);
        const double x = againstTime() ? (record_.thermoTime[at] - start) * kSecondsPerDay
                                       : record_.thermoTemp[at];
        const double y = thermocouple() ? record_.thermoTcTemp[at] : record_.thermoResistance[at];
        x_[at - 1] = static_cast<float>(x);
        y_[at - 1] = static_cast<float>(y);
    }
}

std::vector<PlotSeries> RecordSource::series() const {
    copyOut();
    if (x_.empty()) {
        return {};
    }
    PlotSeries record;
    record.key = record.number = 1;
    record.colour = seriesColour(1);
    record.revision = copied_;
    record.segments.push_back({1, x_.data(), y_.data(), static_cast<int>(x_.size()), {}});
    return {record};
}

QString RecordSource::pointText(const PlotSeries&, const PlotSegment&, int point) const {
    const auto at = static_cast<std::size_t>(point + 1);
    const double seconds = (record_.thermoTime[at] - record_.thermoTime[1]) * kSecondsPerDay;
    const QString time = siValueText(seconds, kTime.unit, 4, false);
    if (thermocouple()) {
        return QStringLiteral("Sample %1: T = %2, t = %3")
            .arg(QString::number(point + 1),
                 siValueText(record_.thermoTcTemp[at], kKelvin.unit, 4, false), time);
    }
    return QStringLiteral("Sample %1: T = %2, R = %3, t = %4")
        .arg(QString::number(point + 1),
             siValueText(record_.thermoTemp[at], kTemperature.unit, 4, false),
             siValueText(record_.thermoResistance[at], kResistance.unit), time);
}

}  // namespace tarvix::plot
