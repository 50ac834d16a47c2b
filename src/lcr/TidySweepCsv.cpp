// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/TidySweepCsv.h"

#include <QRegularExpression>
#include <algorithm>

#include "lcr/FreqSweep.h"
#include "lcr/MeasuredParameters.h"
#include "text/CsvWriter.h"

namespace tarvix::lcr {

namespace {

using text::CsvWriter;

QString captionOf(const QString& code) {
    for (const MeasuredParameter& parameter : measuredParameters()) {
        if (code == QLatin1String(parameter.code)) {
            return QString::fromUtf8(parameter.caption);
        }
    }
    return {};
}

QString biasText(int biasMode) {
    switch (biasMode) {
        case 1:
            return QStringLiteral("external");
        case 2:
            return QStringLiteral("internal");
        default:
            return QStringLiteral("off");
    }
}

QStringList settingNotes(const FreqSweep& sweep) {
    const auto describe = [](const QString& code) {
        const QString caption = captionOf(code).trimmed();
        return caption.isEmpty() ? code : QStringLiteral("%1 (%2)").arg(code, caption);
    };
    return {
        QStringLiteral("primary: ") + describe(sweep.primaryCode),
        QStringLiteral("secondary: ") + describe(sweep.secondaryCode),
        QStringLiteral("frequencies: %1 points from %2 Hz to %3 Hz")
            .arg(sweep.sweepCount)
            .arg(QString::number(sweep.Fmin, 'g', 15), QString::number(sweep.Fmax, 'g', 15)),
        QStringLiteral("readings per point: %1, meter averaging: %2, trigger delay: %3")
            .arg(sweep.readingsPerPoint)
            .arg(sweep.meterAverage)
            .arg(sweep.triggerDelay),
        QStringLiteral("bias: ") + biasText(sweep.biasMode),
    };
}

}  // namespace

QString parameterColumnName(const QString& code, const QString& fallback) {
    static const QRegularExpression kOtherCharacters(QStringLiteral("[^a-z0-9]+"));
    const QString caption = captionOf(code);
    if (caption.isEmpty() || code == QLatin1String("A") || code == QLatin1String("N")) {
        return fallback;
    }
    QString name = caption.toLower().replace(kOtherCharacters, QStringLiteral("_"));
    while (name.startsWith(u'_')) {
        name.remove(0, 1);
    }
    while (name.endsWith(u'_')) {
        name.chop(1);
    }
    return name.isEmpty() ? fallback : name;
}

int writeTidySweepCsv(const QString& path, const FreqSweep& sweep,
                      const text::CsvHeading& heading) {
    CsvWriter out(path);
    if (const int error = out.open(); error != 0) {
        return error;
    }
    text::CsvHeading withSettings = heading;
    withSettings.notes << settingNotes(sweep);
    out.heading(withSettings);
    out.columns({QStringLiteral("frequency_Hz"),
                 parameterColumnName(sweep.primaryCode, QStringLiteral("primary")),
                 parameterColumnName(sweep.secondaryCode, QStringLiteral("secondary"))});
    const int count = std::clamp(sweep.sweepCount, 0, kSweepCapacity);
    for (int i = 1; i <= count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        out.row({CsvWriter::cell(sweep.sweepFreq[at]), CsvWriter::cell(sweep.sweepPrimary[at]),
                 CsvWriter::cell(sweep.sweepSecondary[at])});
    }
    return out.commit();
}

}  // namespace tarvix::lcr
