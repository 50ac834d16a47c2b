// SPDX-License-Identifier: GPL-3.0-or-later
#include "FrqFileText.h"

#include <QList>
#include <cmath>
#include <limits>

#include "lcr/FreqSweep.h"
#include "lcr/MeterReply.h"

namespace tarvix::convert {

namespace {

const QByteArray kFrequencyKey = QByteArrayLiteral("  F[Hz]  ");
constexpr double kMissing = std::numeric_limits<double>::quiet_NaN();

// The log keeps the reply up to the first tab of its closing run; the run is put back so the
// reply reads as the meter sent it.
bool storeLine(const QByteArray& line, lcr::FreqSweep& sweep) {
    const qsizetype key = line.lastIndexOf(kFrequencyKey);
    if (key < 0) {
        return false;
    }
    bool ok = false;
    const double frequency = line.mid(key + kFrequencyKey.size()).trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(frequency)) {
        return false;
    }
    const QByteArray reply = line.left(key);
    const lcr::MeterReply fields = lcr::parseMeterReply(reply + QByteArrayLiteral("\t\t"));
    const int point = ++sweep.sweepCount;
    sweep.sweepFreq[point] = frequency;
    sweep.sweepPrimary[point] = fields.primary.value_or(kMissing);
    sweep.sweepSecondary[point] = fields.secondary.value_or(kMissing);
    if (point == 1) {
        const QList<QByteArray> parts = reply.split('\t');
        sweep.primaryCode = QString::fromLatin1(parts.value(0).trimmed());
        sweep.secondaryCode = fields.secondaryText ? QString::fromLatin1(parts.value(3).trimmed())
                                                   : QStringLiteral("N");
    }
    return true;
}

}  // namespace

QString readFrqFile(const QByteArray& bytes, lcr::FreqSweep& sweep) {
    sweep.sweepCount = 0;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QByteArray line = lines[i];
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        if (sweep.sweepCount >= lcr::kSweepCapacity) {
            return QStringLiteral("more than %1 readings, the most a sweep table holds")
                .arg(lcr::kSweepCapacity);
        }
        if (!storeLine(line, sweep)) {
            return QStringLiteral("line %1 is no meter reading with \"F[Hz]\"").arg(i + 1);
        }
    }
    // A sweep of no points leaves an empty log: its table has the heading alone.
    if (sweep.sweepCount == 0) {
        return {};
    }
    sweep.Fmin = sweep.sweepFreq[1];
    sweep.Fmax = sweep.sweepFreq[sweep.sweepCount];
    return {};
}

}  // namespace tarvix::convert
