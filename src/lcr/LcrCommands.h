// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "lcr/LcrControls.h"

// The LCR meter's commands, as this program sends them.
namespace tarvix::lcr {

constexpr int kLcrAddress = 4;
constexpr int kLcrReplyLength = 160;
constexpr int kBusTimeout = 1000;

std::string biasCommand(int biasMode);  // 0 OFF, 1 EXT, 2 INT
// Empty when no speed is chosen: the meter keeps its own.
std::string speedCommand(MeasuringSpeed speed);
// The frequency in the fixed form of width 6 with 2 decimals, as sent and stored.
QString frequencyText(double hertz);
std::string frequencyCommand(const QString& frequencyText);
extern const char* const kMeasureCommand;
extern const char* const kFetchCommand;

struct MeterSetup {
    QString primaryCode;
    QString secondaryCode;
    MeasuringSpeed speed = MeasuringSpeed::Unset;
    int meterAverage = 1;
    int biasMode = 0;
    int triggerDelay = 5;
    int acLevelMv = 500;
};

// The set-up sent before a sweep, in order.
std::vector<std::string> setupCommands(const MeterSetup& setup);

}  // namespace tarvix::lcr
