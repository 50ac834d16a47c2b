// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/PointBlocks.h"

#include <QDateTime>
#include <QStringList>
#include <cmath>

namespace tarvix::mirror {

namespace {

constexpr double kDayMs = 86400000.0;

const QVariant kNull = QVariant(QMetaType::fromType<QString>());

QString literal(double value) {
    return std::isnan(value) ? QStringLiteral("NULL") : QString::number(value, 'g', 17);
}

QString arrayOf(const QStringList& elements) {
    return QLatin1Char('{') + elements.join(QLatin1Char(',')) + QLatin1Char('}');
}

// The column from `from` on, `count` values; null without a single reading unless `always`.
QVariant column(const std::vector<double>& values, size_t from, size_t count, bool always) {
    QStringList elements;
    bool any = false;
    for (size_t i = from; i < from + count; ++i) {
        any = any || !std::isnan(values[i]);
        elements << literal(values[i]);
    }
    return any || always ? QVariant(arrayOf(elements)) : kNull;
}

// Whole milliseconds of the day, as this program measures time: ms / 86400000 gives back
// the very same number.
bool wholeMs(double t) {
    return std::isnan(t) || (std::abs(t) < 24 && std::round(t * kDayMs) / kDayMs == t);
}

void times(PointBlock& block, const std::vector<double>& t, size_t from, size_t count) {
    bool whole = true;
    for (size_t i = from; i < from + count && whole; ++i) {
        whole = wholeMs(t[i]);
    }
    if (!whole) {
        block.t = column(t, from, count, false);
        block.tMs = kNull;
        return;
    }
    QStringList elements;
    bool any = false;
    for (size_t i = from; i < from + count; ++i) {
        any = any || !std::isnan(t[i]);
        elements << (std::isnan(t[i]) ? QStringLiteral("NULL")
                                      : QString::number(std::llround(t[i] * kDayMs)));
    }
    block.t = kNull;
    block.tMs = any ? QVariant(arrayOf(elements)) : kNull;
}

// The steps of the server's float8 arithmetic, each refusing what the server refuses.
std::optional<double> product(double a, double b) {
    const volatile double result = a * b;  // volatile: no step fused with the next
    if (!std::isfinite(result) || (result == 0 && a != 0 && b != 0)) {
        return std::nullopt;
    }
    return result;
}

std::optional<double> sum(double a, double b) {
    const volatile double result = a + b;
    return std::isfinite(result) ? std::optional<double>(result) : std::nullopt;
}

// Whether every point's w is what the server derives from its x and z (a missing w where x
// or z is missing); false for a column without a single reading, which goes as null anyway.
bool wDerivable(const PointColumns& points, size_t from, size_t count) {
    bool any = false;
    for (size_t i = from; i < from + count; ++i) {
        const std::optional<double> kelvin = serverThermocoupleKelvin(points.x[i], points.z[i]);
        const bool missing = std::isnan(points.x[i]) || std::isnan(points.z[i]);
        if (missing ? !std::isnan(points.w[i]) : !kelvin || *kelvin != points.w[i]) {
            return false;
        }
        any = any || !missing;
    }
    return any;
}

}  // namespace

// The server's thermocouple_kelvin: (sqrt(b*b - 4a(d*z + c - x)) - b) / 2a, -1 without a
// real root; the constants are the server's, written there in the same digits.
std::optional<double> serverThermocoupleKelvin(double volts, double reference) {
    constexpr double a = 3.357102e-08;
    constexpr double b = 1.598381e-05;
    constexpr double c = 0.003823111;
    constexpr double d = -3.8928e-05;
    if (std::isnan(volts) || std::isnan(reference)) {
        return std::nullopt;
    }
    const auto scaled = product(d, reference);
    const auto shifted = scaled ? sum(*scaled, c) : std::nullopt;
    const auto offset = shifted ? sum(*shifted, -volts) : std::nullopt;
    const auto term = offset ? product(4.0 * a, *offset) : std::nullopt;
    const auto discriminant = term ? sum(b * b, -*term) : std::nullopt;
    if (!discriminant) {
        return std::nullopt;
    }
    if (*discriminant < 0) {
        return -1.0;
    }
    const volatile double root = std::sqrt(*discriminant);
    const auto top = sum(root, -b);
    if (!top) {
        return std::nullopt;
    }
    const volatile double kelvin = *top / (2.0 * a);
    if (!std::isfinite(kelvin) || (kelvin == 0 && *top != 0)) {
        return std::nullopt;
    }
    return kelvin;
}

std::vector<PointBlock> pointBlocks(const PointColumns& points) {
    std::vector<PointBlock> blocks;
    const size_t size = points.idx.size();
    for (size_t from = 0; from < size; from += kPointsPerBlock) {
        const size_t count = std::min<size_t>(kPointsPerBlock, size - from);
        PointBlock block;
        block.first = points.idx[from];
        const bool runsOn = points.idx[from + count - 1] - block.first + 1 == int(count);
        QStringList indexes;
        for (size_t i = from; i < from + count && !runsOn; ++i) {
            indexes << QString::number(points.idx[i]);
        }
        block.idx = runsOn ? kNull : QVariant(arrayOf(indexes));
        // The first column always holds every point: the view counts the points by it.
        block.x = column(points.x, from, count, true);
        block.y = column(points.y, from, count, false);
        block.z = column(points.z, from, count, false);
        block.wDerived = wDerivable(points, from, count);
        block.w = block.wDerived ? kNull : column(points.w, from, count, false);
        times(block, points.t, from, count);
        blocks.push_back(block);
    }
    return blocks;
}

QString pointMonth(const QVariant& started) {
    const QDateTime time = QDateTime::fromString(started.toString(), Qt::ISODateWithMs);
    return time.isValid() ? time.date().toString(QStringLiteral("yyyy-MM-01"))
                          : QStringLiteral("1970-01-01");
}

}  // namespace tarvix::mirror
