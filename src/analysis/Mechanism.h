// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The five conduction mechanisms whose coordinates straighten a measured I-V curve, with every
// text that belongs to one of them.
namespace tarvix::analysis {

enum class Mechanism {
    Ohm,           // Button17 "Ohm law", saved by Button18
    PooleFrenkel,  // PF "Pool-Frenkel", saved by Button12
    SpaceCharge,   // Button8 "TOPZ", saved by Button13
    Tunnel,        // Button9 "Tunnel current", saved by Button14
    Schottky,      // Button10 "Shotki", saved by Button15
};

inline constexpr Mechanism kAllMechanisms[] = {Mechanism::Ohm, Mechanism::PooleFrenkel,
                                               Mechanism::SpaceCharge, Mechanism::Tunnel,
                                               Mechanism::Schottky};

struct MechanismInfo {
    const char* resultLabel;  // design name of the label that shows the scatter
    const char16_t* emptySelectionMessage;
    const char16_t* badNumbersMessage;
    const char16_t* fileHeading;   // line 4 of the saved file, before the result label's text
    const char16_t* columnHeader;  // line 6 of the saved file, before "Series "
    const char16_t* yAxis;         // the chart's names of its quantities
    const char16_t* xAxis;
    // Units of the fitted line's slope and intercept in those quantities (a logarithm's unit
    // is that of its argument).
    const char16_t* slopeUnit;
    const char16_t* interceptUnit;
    const char* name;  // in the copied fit results
    // X from abs(V); Y from abs(I) and abs(V). Both magnitudes are non-zero.
    double (*transformX)(double absVoltage);
    double (*transformY)(double absCurrent, double absVoltage);
};

const MechanismInfo& mechanismInfo(Mechanism mechanism);

inline QString resultLabelName(Mechanism mechanism) {
    return QString::fromLatin1(mechanismInfo(mechanism).resultLabel);
}
inline QString emptySelectionMessage(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).emptySelectionMessage);
}
inline QString badNumbersMessage(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).badNumbersMessage);
}
inline QString fileHeading(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).fileHeading);
}
inline QString columnHeader(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).columnHeader);
}
inline QString yAxisCaption(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).yAxis);
}
inline QString xAxisCaption(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).xAxis);
}
inline QString slopeUnit(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).slopeUnit);
}
inline QString interceptUnit(Mechanism mechanism) {
    return QString::fromUtf16(mechanismInfo(mechanism).interceptUnit);
}
inline QString mechanismName(Mechanism mechanism) {
    return QString::fromLatin1(mechanismInfo(mechanism).name);
}

}  // namespace tarvix::analysis
