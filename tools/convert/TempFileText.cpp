// SPDX-License-Identifier: GPL-3.0-or-later
#include "TempFileText.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>
#include <QTime>
#include <cmath>
#include <limits>
#include <optional>

#include "text/ClockText.h"
#include "text/Cp1251.h"

namespace tarvix::convert {

namespace {

using thermo::TempFileKind;
using thermo::ThermoRecord;

constexpr int kHeaderLines = 7;

// The number texts of the file: fixed decimals with a point, "Nan" for a missing reading.
std::optional<double> numberField(const QString& field) {
    if (field.compare(QLatin1String("Nan"), Qt::CaseInsensitive) == 0) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    bool ok = false;
    const double value = field.toDouble(&ok);
    return ok ? std::optional<double>(value) : std::nullopt;
}

std::optional<double> timeField(const QString& field) {
    const QTime time = text::longTimeFromText(field);
    return time.isValid() ? std::optional<double>(text::timeOfDay(time)) : std::nullopt;
}

QString afterKey(const QString& line) {
    const qsizetype colon = line.indexOf(u':');
    return colon < 0 ? line : line.mid(colon + 1).trimmed();
}

// The number fields come first; the rest of the line is the time, which may hold blanks
// ("1:02:03 PM") in some locales.
bool storeRow(const QString& line, TempFileKind kind, ThermoRecord& record, int sample) {
    static const QRegularExpression kField(QStringLiteral("\\s*(\\S+)"));
    const int numbers = kind == TempFileKind::FourProbe ? 2 : 3;
    double values[3] = {};
    qsizetype position = 0;
    for (int i = 0; i < numbers; ++i) {
        const QRegularExpressionMatch field =
            kField.match(line, position, QRegularExpression::NormalMatch,
                         QRegularExpression::AnchorAtOffsetMatchOption);
        const auto value = field.hasMatch() ? numberField(field.captured(1)) : std::nullopt;
        if (!value) {
            return false;
        }
        values[i] = *value;
        position = field.capturedEnd(1);
    }
    const auto time = timeField(line.mid(position).trimmed());
    if (!time) {
        return false;
    }
    record.thermoTemp[sample] = values[0];
    if (kind == TempFileKind::FourProbe) {
        record.thermoResistance[sample] = values[1];
    } else {
        record.thermoRefTemp[sample] = values[1];
        record.thermoTcTemp[sample] = values[2];
    }
    record.thermoTime[sample] = *time;
    return true;
}

}  // namespace

TempFileRead readTempFile(const QByteArray& bytes, ThermoRecord& record) {
    TempFileRead read;
    const QStringList lines =
        text::fromCp1251(bytes).split(QRegularExpression(QStringLiteral("\r?\n")));
    const QString heading = lines.size() > 4 ? lines[4].trimmed() : QString();
    if (heading.startsWith(QStringLiteral("Температура"))) {
        read.kind = TempFileKind::FourProbe;
    } else if (heading.startsWith(QStringLiteral("V термопары"))) {
        read.kind = TempFileKind::Thermocouple;
    } else {
        read.error = QStringLiteral("no temperature record heading on line 5");
        return read;
    }
    read.description = afterKey(lines[1]);
    read.savedAt = afterKey(lines[2]);
    record.startRun(read.kind == TempFileKind::FourProbe ? thermo::ThermoRunKind::FourProbe
                                                         : thermo::ThermoRunKind::Thermocouple);
    for (qsizetype i = kHeaderLines; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty()) {
            continue;
        }
        if (record.thermoCount >= ThermoRecord::kMaxSamples ||
            !storeRow(lines[i], read.kind, record, record.thermoCount + 1)) {
            read.error = QStringLiteral("line %1 is no sample row").arg(i + 1);
            return read;
        }
        ++record.thermoCount;
    }
    return read;
}

}  // namespace tarvix::convert
