// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/FitReport.h"

#include <cmath>
#include <initializer_list>
#include <utility>

#include "analysis/UncertainText.h"
#include "text/NumberText.h"

namespace tarvix::analysis {

namespace {

constexpr int kShownFigures = 4;
constexpr int kCopiedFigures = 10;
constexpr int kConditionFigures = 6;

QString number(double value, int figures) {
    if (!std::isfinite(value)) {
        return QStringLiteral("-");
    }
    return QString::number(value, 'g', figures);
}

QString condition(const std::optional<double>& value) {
    return value ? number(*value, kConditionFigures) : QStringLiteral("?");
}

// Ohm's law is read in amperes and siemens, which want prefixes; the logarithmic plots'
// quantities are plain numbers.
QString lineValue(const FitReport& report, double value, double error, const QString& unit) {
    const UncertainValue measured{value, error};
    return report.mechanism == Mechanism::Ohm ? uncertainSiText(measured, unit)
                                              : uncertainText(measured, unit);
}

QString permittivityLine(const FitReport& report) {
    const SampleConditions& given = report.conditions;
    if (const auto& permittivity = report.physics.permittivity) {
        return QStringLiteral("εr = %1 (d %2 nm, T %3 K)")
            .arg(uncertainText(*permittivity, QString()), condition(given.thicknessNm),
                 condition(given.temperatureK));
    }
    if (!given.thicknessNm || !given.temperatureK) {
        return QStringLiteral("εr: needs d and T above 0");
    }
    return QStringLiteral("εr: not defined for a slope ≤ 0");
}

QString barrierLine(const FitReport& report) {
    const SampleConditions& given = report.conditions;
    if (const auto& barrier = report.physics.barrierHeight) {
        return QStringLiteral("φB = %1 (S %2 cm², A* %3)")
            .arg(uncertainText(*barrier, QStringLiteral("eV")), condition(given.contactAreaCm2),
                 condition(given.richardson));
    }
    return QStringLiteral("φB: needs T, S and A* above 0");
}

QStringList quantityLines(const FitReport& report) {
    const FitPhysics& physics = report.physics;
    switch (report.mechanism) {
        case Mechanism::Ohm:
            if (physics.resistance) {
                return {QStringLiteral("R = ") +
                        uncertainSiText(*physics.resistance, QStringLiteral("Ω"))};
            }
            return {QStringLiteral("R: not defined for a slope of 0")};
        case Mechanism::SpaceCharge:
            if (physics.exponent) {
                return {QStringLiteral("m = %1 (I ∝ V^m)")
                            .arg(uncertainText(*physics.exponent, QString()))};
            }
            return {};
        case Mechanism::PooleFrenkel:
            return {permittivityLine(report)};
        case Mechanism::Schottky:
            return {permittivityLine(report), barrierLine(report)};
        case Mechanism::Tunnel:
            return {};
    }
    return {};
}

QString copied(const std::optional<double>& value) {
    return value ? number(*value, kCopiedFigures) : QString();
}

QString copiedValue(const std::optional<UncertainValue>& value) {
    return value ? number(value->value, kCopiedFigures) : QString();
}

QString copiedError(const std::optional<UncertainValue>& value) {
    return value ? number(value->error, kCopiedFigures) : QString();
}

}  // namespace

QStringList fitResultLines(const FitReport& report) {
    const FitStatistics& s = report.statistics;
    const Mechanism mechanism = report.mechanism;
    QStringList lines{
        QStringLiteral("slope ") +
            lineValue(report, report.line.slope, s.slopeError, slopeUnit(mechanism)),
        QStringLiteral("intercept ") +
            lineValue(report, report.line.intercept, s.interceptError, interceptUnit(mechanism)),
        QStringLiteral("R² %1   N %2   %3…%4 V")
            .arg(text::fixedText(s.rSquared, 1, 6), QString::number(s.count),
                 number(report.windowLow, kShownFigures),
                 number(report.windowHigh, kShownFigures))};
    lines += quantityLines(report);
    return lines;
}

QString fitSummaryText(const FitReport& report) {
    return fitResultLines(report).join(QChar('\n'));
}

QString fitClipboardText(const FitReport& report) {
    const FitStatistics& s = report.statistics;
    const FitPhysics& physics = report.physics;
    const SampleConditions& given = report.conditions;
    const std::pair<const char*, QString> columns[] = {
        {"Mechanism", mechanismName(report.mechanism)},
        {"Slope", number(report.line.slope, kCopiedFigures)},
        {"Slope error", number(s.slopeError, kCopiedFigures)},
        {"Intercept", number(report.line.intercept, kCopiedFigures)},
        {"Intercept error", number(s.interceptError, kCopiedFigures)},
        {"R2", number(s.rSquared, kCopiedFigures)},
        {"N", QString::number(s.count)},
        {"V from", number(report.windowLow, kCopiedFigures)},
        {"V to", number(report.windowHigh, kCopiedFigures)},
        {"R, Om", copiedValue(physics.resistance)},
        {"R error, Om", copiedError(physics.resistance)},
        {"m", copiedValue(physics.exponent)},
        {"m error", copiedError(physics.exponent)},
        {"eps_r", copiedValue(physics.permittivity)},
        {"eps_r error", copiedError(physics.permittivity)},
        {"Barrier, eV", copiedValue(physics.barrierHeight)},
        {"Barrier error, eV", copiedError(physics.barrierHeight)},
        {"d, nm", copied(given.thicknessNm)},
        {"T, K", copied(given.temperatureK)},
        {"S, cm2", copied(given.contactAreaCm2)},
        {"A*, A/(cm2 K2)", copied(given.richardson)}};
    QStringList header;
    QStringList values;
    for (const auto& [name, value] : columns) {
        header << QString::fromLatin1(name);
        values << value;
    }
    return header.join(QChar('\t')) + QChar('\n') + values.join(QChar('\t')) + QChar('\n');
}

}  // namespace tarvix::analysis
