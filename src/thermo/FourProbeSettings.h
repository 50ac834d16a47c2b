// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tarvix::thermo {

// The texts of Panel4 that go into commands, checked before anything is sent.
struct FourProbeTexts {
    QByteArray channelCommand;  // "rout:clos (@" + channel + ")"
    QByteArray compliance;      // Edit52 exactly as typed, once it reads as a number
};

// The scanner channels a thermocouple may sit on.
inline constexpr int kFirstChannel = 1;
inline constexpr int kLastChannel = 40;

// The commands' texts from Edit63 and Edit52, or nothing with the message naming the field.
std::optional<FourProbeTexts> checkFourProbeTexts(const QString& channel, const QString& compliance,
                                                  QString* message);

}  // namespace tarvix::thermo
