// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/LcrControls.h"

#include "text/NumberText.h"

namespace tarvix::lcr {

QString fminLabel(int hertz) {
    return QStringLiteral("Fmin=%1 [Hz]").arg(hertz);
}

QString fmaxLabel(int hertz) {
    return QStringLiteral("Fmax=%1 [Hz]").arg(hertz);
}

QString pointCountLabel(int count) {
    return QStringLiteral("Number=%1").arg(count);
}

QString acLevelLabel(int millivolts) {
    return QStringLiteral("AC=%1 [mV]").arg(millivolts);
}

QString countLabel(int value) {
    return QString::number(value);
}

int snapAcLevel(int millivolts) {
    return static_cast<int>(text::roundHalfEven(millivolts / 5.0)) * 5;
}

std::optional<int> fmaxPresetForButton(int button) {
    switch (button) {
        case 61:
            return 1000;
        case 62:
            return 10000;
        case 63:
            return 100000;
        case 64:
            return 1000000;
        default:
            return std::nullopt;
    }
}

std::optional<int> triggerDelayForButton(int button) {
    switch (button) {
        case 65:
            return 0;
        case 66:
            return 5;
        case 67:
            return 500;
        case 68:
            return 1000;
        default:
            return std::nullopt;
    }
}

std::optional<int> biasModeForButton(int button) {
    switch (button) {
        case 69:
            return 2;
        case 70:
            return 1;
        case 71:
            return 0;
        default:
            return std::nullopt;
    }
}

MeasuringSpeed speedForButton(int button) {
    switch (button) {
        case 72:
            return MeasuringSpeed::Medium;
        case 73:
            return MeasuringSpeed::Fast;
        case 74:
            return MeasuringSpeed::VerySlow;
        default:
            return MeasuringSpeed::Unset;
    }
}

}  // namespace tarvix::lcr
