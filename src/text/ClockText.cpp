// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/ClockText.h"

#include <QLocale>
#include <QRegularExpression>

namespace tarvix::text {

namespace {

// The system's long time format without its time-zone part ("t"), which the program's
// files never carried.
QString longTimeFormat() {
    QString format = QLocale::system().timeFormat(QLocale::LongFormat);
    format.remove(QRegularExpression(QStringLiteral("\\s*t+\\s*")));
    return format.trimmed().isEmpty() ? QStringLiteral("HH:mm:ss") : format.trimmed();
}

}  // namespace

QString longTimeText(const QTime& time) {
    static const QString format = longTimeFormat();
    return QLocale::system().toString(time, format);
}

QTime longTimeFromText(const QString& text) {
    static const QString format = longTimeFormat();
    return QLocale::system().toTime(text, format);
}

QString shortDateText(const QDate& date) {
    return QLocale::system().toString(date, QLocale::ShortFormat);
}

QString spanText(const QDateTime& first, const QDateTime& last) {
    if (first.date() == last.date()) {
        return QStringLiteral("on %1 from %2 to %3")
            .arg(shortDateText(first.date()), longTimeText(first.time()),
                 longTimeText(last.time()));
    }
    return QStringLiteral("from %1 %2 to %3 %4")
        .arg(shortDateText(first.date()), longTimeText(first.time()), shortDateText(last.date()),
             longTimeText(last.time()));
}

double timeOfDay(const QTime& time) {
    return time.msecsSinceStartOfDay() / 86400000.0;
}

QTime timeFromDayFraction(double fraction) {
    double dayPart = fraction - static_cast<double>(static_cast<long long>(fraction));
    if (dayPart < 0) {
        dayPart += 1.0;
    }
    const int msecs = static_cast<int>(dayPart * 86400000.0 + 0.5) % 86400000;
    return QTime::fromMSecsSinceStartOfDay(msecs);
}

double nowAsDays() {
    return static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 86400000.0;
}

}  // namespace tarvix::text
