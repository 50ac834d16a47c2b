// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/MeterReply.h"

#include <string_view>

#include "text/DecimalParse.h"

namespace tarvix::lcr {

namespace {

constexpr char kTab = '\t';
constexpr char kTabRun[] = "\t\t\t";

QByteArray between(const QByteArray& reply, qsizetype open, qsizetype close) {
    return reply.mid(open + 1, close - open - 1);
}

}  // namespace

QByteArray MeterReply::lastValueText() const {
    if (secondaryText) {
        return *secondaryText;
    }
    return primaryText.value_or(QByteArray());
}

std::optional<double> parseValueField(const QByteArray& field) {
    const QByteArray value = field.trimmed();
    // Nothing between the tabs is a value the meter did not give, not a zero.
    if (value.isEmpty()) {
        return std::nullopt;
    }
    return text::parseReply(std::string_view(value.constData(), static_cast<size_t>(value.size())));
}

MeterReply parseMeterReply(const QByteArray& reply) {
    MeterReply result;
    const qsizetype first = reply.indexOf(kTab);
    const qsizetype second = first < 0 ? -1 : reply.indexOf(kTab, first + 1);
    if (second < 0) {
        return result;
    }
    result.primaryText = between(reply, first, second);
    result.primary = parseValueField(*result.primaryText);

    const qsizetype run = reply.indexOf(kTabRun);
    const qsizetype third = reply.indexOf(kTab, second + 1);
    if (run >= 0 && third >= 0 && third < run) {
        // The run begins after the third tab, so the fourth and fifth tabs exist.
        const qsizetype fourth = reply.indexOf(kTab, third + 1);
        const qsizetype fifth = reply.indexOf(kTab, fourth + 1);
        result.secondaryText = between(reply, fourth, fifth);
        result.secondary = parseValueField(*result.secondaryText);
    }
    return result;
}

QByteArray replyUpToTabRun(const QByteArray& reply) {
    const qsizetype run = reply.indexOf(kTabRun);
    return run < 0 ? QByteArray() : reply.left(run + 1);
}

}  // namespace tarvix::lcr
