// SPDX-License-Identifier: GPL-3.0-or-later
#include "plot/SweepSource.h"

#include <QHashFunctions>
#include <algorithm>

#include "lcr/FreqSweep.h"
#include "plot/SeriesPalette.h"
#include "plot/SiText.h"

namespace tarvix::plot {

namespace {

const Quantity kFrequency{QStringLiteral("Frequency"), QStringLiteral("Hz"), false, true};

}  // namespace

Quantity SweepSource::quantityOf(const QString& code) {
    static const struct {
        const char* code;
        const char* name;
        const char* unit;
    } kinds[] = {
        {"CS", "Capacitance (series)", "F"},
        {"CP", "Capacitance (parallel)", "F"},
        {"LS", "Inductance (series)", "H"},
        {"LP", "Inductance (parallel)", "H"},
        {"RS", "Resistance (series)", "Ω"},
        {"RP", "Resistance (parallel)", "Ω"},
        {"DF", "Dissipation factor", ""},
        {"Q", "Quality factor", ""},
        {"Z", "|Z|", "Ω"},
        {"Y", "|Y|", "S"},
        {"P", "Phase angle", "°"},
        {"ESR", "ESR", "Ω"},
        {"GP", "Conductance", "S"},
        {"XS", "Reactance", "Ω"},
        {"BP", "Susceptance", "S"},
    };
    for (const auto& kind : kinds) {
        if (code == QLatin1String(kind.code)) {
            const QString unit = QString::fromUtf8(kind.unit);
            return {QString::fromUtf8(kind.name), unit, false, unit != QStringLiteral("°")};
        }
    }
    return {QStringLiteral("Primary parameter"), QString(), false, true};
}

QString SweepSource::title() const {
    return QStringLiteral("%1 against frequency").arg(quantityOf(sweep_.primaryCode).name);
}

Quantity SweepSource::xQuantity() const {
    return kFrequency;
}

Quantity SweepSource::yQuantity() const {
    return quantityOf(sweep_.primaryCode);
}

std::uint64_t SweepSource::stamp() const {
    const int count = std::clamp(sweep_.sweepCount, 0, lcr::kSweepCapacity);
    const auto last = static_cast<std::size_t>(count);
    return qHashMulti(0x5EEDu, count, measured_, sweep_.sweepFreq[last], sweep_.sweepPrimary[last],
                      sweep_.sweepFreq[1], sweep_.primaryCode);
}

void SweepSource::copyOut() const {
    const std::uint64_t now = stamp();
    if (now == copied_) {
        return;
    }
    copied_ = now;
    const int count = measured_ ? std::clamp(sweep_.sweepCount, 0, lcr::kSweepCapacity) : 0;
    x_.resize(static_cast<std::size_t>(count));
    y_.resize(static_cast<std::size_t>(count));
    for (int i = 1; i <= count; ++i) {
        x_[static_cast<std::size_t>(i - 1)] = static_cast<float>(sweep_.sweepFreq[i]);
        y_[static_cast<std::size_t>(i - 1)] = static_cast<float>(sweep_.sweepPrimary[i]);
    }
}

std::vector<PlotSeries> SweepSource::series() const {
    copyOut();
    if (x_.empty()) {
        return {};
    }
    PlotSeries sweep;
    sweep.key = sweep.number = 1;
    sweep.colour = seriesColour(1);
    sweep.revision = copied_;
    sweep.segments.push_back({1, x_.data(), y_.data(), static_cast<int>(x_.size()), {}});
    return {sweep};
}

QString SweepSource::pointText(const PlotSeries&, const PlotSegment& segment, int point) const {
    const Quantity quantity = yQuantity();
    return QStringLiteral("Point %1: f = %2, %3 = %4")
        .arg(QString::number(point + 1), siValueText(segment.x[point], kFrequency.unit),
             quantity.name, siValueText(segment.y[point], quantity.unit, 4, quantity.siPrefixes));
}

}  // namespace tarvix::plot
