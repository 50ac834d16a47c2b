// SPDX-License-Identifier: GPL-3.0-or-later
#include "thermo/FourProbeSettings.h"

#include "text/Cp1251.h"
#include "text/DecimalParse.h"

namespace tarvix::thermo {

namespace {

// A channel is a plain decimal number, so that nothing but a channel ever reaches the scanner.
std::optional<int> channelNumber(const QString& text) {
    for (const QChar c : text) {
        if (!c.isDigit()) {
            return std::nullopt;
        }
    }
    const auto number = text::parseInteger(text);
    if (!number || *number < kFirstChannel || *number > kLastChannel) {
        return std::nullopt;
    }
    return static_cast<int>(*number);
}

}  // namespace

std::optional<FourProbeTexts> checkFourProbeTexts(const QString& channel, const QString& compliance,
                                                  QString* message) {
    const auto number = channelNumber(channel);
    if (!number) {
        *message = QStringLiteral(
                       "\"Number of ter.cop\" (Edit63) must be a scanner channel "
                       "from %1 to %2, not \"%3\". Nothing was sent.")
                       .arg(kFirstChannel)
                       .arg(kLastChannel)
                       .arg(channel);
        return std::nullopt;
    }
    if (!text::parseDecimal(compliance)) {
        *message = QStringLiteral(
                       "\"Max Volt\" (Edit52) must be a number of volts, not \"%1\". "
                       "Nothing was sent.")
                       .arg(compliance);
        return std::nullopt;
    }
    return FourProbeTexts{"rout:clos (@" + QByteArray::number(*number) + ")",
                          text::toCp1251(compliance)};
}

}  // namespace tarvix::thermo
