// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/LcrCommands.h"

#include "text/NumberText.h"

namespace tarvix::lcr {

const char* const kMeasureCommand = "MEAS:";
const char* const kFetchCommand = "FETC?";

std::string biasCommand(int biasMode) {
    switch (biasMode) {
        case 1:
            return "CONF:BIAS EXT";
        case 2:
            return "CONF:BIAS INT";
        default:
            return "CONF:BIAS OFF";
    }
}

std::string speedCommand(MeasuringSpeed speed) {
    switch (speed) {
        case MeasuringSpeed::Fast:
            return "CONF:MAC FAS";
        case MeasuringSpeed::Medium:
            return "CONF:MAC MED";
        case MeasuringSpeed::VerySlow:
            return "CONF:MAC SLO";
        case MeasuringSpeed::Unset:
            break;
    }
    return {};
}

QString frequencyText(double hertz) {
    return text::fixedText(hertz, 6, 2);
}

std::string frequencyCommand(const QString& frequencyText) {
    return "CONF:FREQ " + frequencyText.toStdString();
}

std::vector<std::string> setupCommands(const MeterSetup& setup) {
    std::vector<std::string> commands{
        "*RST",
        "CONF:FREQ 1000.00",
        "CONF:PPAR " + setup.primaryCode.toStdString(),
        "CONF:SPAR " + setup.secondaryCode.toStdString(),
    };
    if (const std::string speed = speedCommand(setup.speed); !speed.empty()) {
        commands.push_back(speed);
    }
    commands.push_back("CONF:AVER " + std::to_string(setup.meterAverage));
    commands.push_back(biasCommand(setup.biasMode));
    commands.push_back("CONF:TDEL " + std::to_string(setup.triggerDelay));
    commands.push_back("CONF:ACV " + text::fixedText(setup.acLevelMv / 1000.0, 1, 3).toStdString());
    return commands;
}

}  // namespace tarvix::lcr
