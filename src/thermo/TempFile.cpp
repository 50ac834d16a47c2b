// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/TempFile.h"

#include <algorithm>

#include "text/ClockText.h"
#include "text/DecimalParse.h"
#include "text/FileError.h"
#include "text/NumberText.h"
#include "text/SafeFileWriter.h"

namespace tarvix::thermo {

namespace {

const QString kSeparator = QStringLiteral("       ");

// The four-probe temperatures are degrees Celsius and the heading says so, in the width of the
// heading that named kelvin, so the columns stay where readers expect them.
QString columnHeading(TempFileKind kind) {
    return kind == TempFileKind::FourProbe
               ? QStringLiteral("Температура(°C) Сопротивление(Ом)    Время       ")
               : QStringLiteral("V термопары (V)  Температура(K)     Время       ");
}

QString averagingLine(const TempFileOptions& options) {
    return options.average ? QStringLiteral("Усреднение по %1 точкам").arg(options.saveEvery)
                           : QStringLiteral("Без усреднения");
}

// The averaged quantity at `sample`, or its mean over the N samples ending there. A missing
// sample inside the window makes the mean missing too rather than quietly thinning it.
double averagedValue(const ThermoRecord::Table& table, int sample, const TempFileOptions& options) {
    if (!options.average) {
        return table[sample];
    }
    double sum = 0;
    for (int s = sample - options.saveEvery + 1; s <= sample; ++s) {
        sum += table[s];
    }
    return sum / options.saveEvery;
}

QString timeText(double dayFraction) {
    return text::longTimeText(text::timeFromDayFraction(dayFraction));
}

}  // namespace

SaveStep saveStepFromText(const QString& text) {
    const auto step = text::parseInteger(text);
    if (!step) {
        return {std::nullopt, QStringLiteral("'%1' is not a valid integer value").arg(text)};
    }
    if (*step < 1) {
        return {std::nullopt,
                QStringLiteral("Cannot save every %1-th sample: the step must be 1 or more")
                    .arg(*step)};
    }
    return {step, QString()};
}

QString withTempExtension(const QString& chosenName) {
    return chosenName + QStringLiteral(".temp");
}

QString tempFileRow(TempFileKind kind, const ThermoRecord& record, int sample,
                    const TempFileOptions& options) {
    const QString first = text::fixedText(record.thermoTemp[sample], 3, 10);
    if (kind == TempFileKind::FourProbe) {
        const double resistance = averagedValue(record.thermoResistance, sample, options);
        return first + kSeparator + text::fixedText(resistance, 10, 6) + kSeparator +
               timeText(record.thermoTime[sample]);
    }
    const double reference = averagedValue(record.thermoRefTemp, sample, options);
    return first + kSeparator + text::fixedText(reference, 10, 2) + kSeparator +
           text::fixedText(record.thermoTcTemp[sample], 3, 10) + kSeparator +
           timeText(record.thermoTime[sample]);
}

int writeTempFile(const QString& path, TempFileKind kind, const ThermoRecord& record,
                  const TempFileOptions& options) {
    if (options.saveEvery < 1) {
        return text::kInvalidNumericInput;
    }
    text::SafeFileWriter writer(path);
    if (const int error = writer.open(); error != text::kFileOk) {
        return error;
    }
    writer.writeLine(
        QStringLiteral("Четырех-зондовый метод измерения температурной зависимости сопротивления"));
    writer.writeLine(QStringLiteral("Описание: ") + options.description);
    writer.writeLine(QStringLiteral("Дата и время измерения: ") +
                     text::shortDateText(options.savedAt.date()) + QStringLiteral("  ") +
                     text::longTimeText(options.savedAt.time()));
    writer.writeLine(QString());
    writer.writeLine(columnHeading(kind));
    writer.writeLine(averagingLine(options));
    writer.writeLine(QString());
    // 64-bit so that a huge step cannot wrap round past the end of the record.
    const long long count = std::min(record.thermoCount, ThermoRecord::kMaxSamples);
    for (long long s = options.saveEvery; s < count; s += options.saveEvery) {
        writer.writeLine(tempFileRow(kind, record, static_cast<int>(s), options));
    }
    return writer.commit();
}

}  // namespace tarvix::thermo
