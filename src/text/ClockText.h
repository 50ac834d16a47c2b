// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QTime>

// Dates and times as the operator's system writes them, and times of day as fractions of a
// day (noon is 0.5), the form in which the program keeps them.
namespace tarvix::text {

QString longTimeText(const QTime& time);
// A time of day written by longTimeText; invalid for any other text.
QTime longTimeFromText(const QString& text);
QString shortDateText(const QDate& date);
// When a measurement was taken: "on 07.12.2026 from 10:02:13 to 10:40:01", or a date each
// when the span passes midnight.
QString spanText(const QDateTime& first, const QDateTime& last);

double timeOfDay(const QTime& time);
QTime timeFromDayFraction(double fraction);
double nowAsDays();  // days since an epoch, with the fraction of the day

}  // namespace tarvix::text
