// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <optional>

namespace tarvix::lcr {

// The fields of one FETC? reply of the LCR meter: code TAB primary TAB unit TAB, then, when a
// secondary is measured, its code TAB value TAB, and a run of three tabs at the end.
struct MeterReply {
    // The primary field lies between the first and second tab; absent when there are fewer.
    std::optional<QByteArray> primaryText;
    // The secondary field lies between the fourth and fifth tab, and counts only when the first
    // run of three tabs begins after the third tab.
    std::optional<QByteArray> secondaryText;
    std::optional<double> primary;    // the primary field's value, when it is a number
    std::optional<double> secondary;  // the secondary field's value, when it is a number

    // The last value text cut from the reply: the secondary's when there is one.
    QByteArray lastValueText() const;
};

MeterReply parseMeterReply(const QByteArray& reply);

// A value field: blanks around the number are allowed; an empty field (or blanks only) has no
// value.
std::optional<double> parseValueField(const QByteArray& field);

// The reply up to and including the first tab of its first run of three tabs; empty without one.
QByteArray replyUpToTabRun(const QByteArray& reply);

}  // namespace tarvix::lcr
