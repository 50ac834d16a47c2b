// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/MeasuredParameters.h"

#include <array>

namespace tarvix::lcr {

namespace {

constexpr std::array<MeasuredParameter, 17> kParameters{{
    {"AUTO", "RadioButton23", nullptr, "A"},
    {"NONE", nullptr, "RadioButton39", kNoSecondaryCode},
    {"C series", "RadioButton24", "RadioButton40", "CS"},
    {"C parallel", "RadioButton25", "RadioButton41", "CP"},
    {"L series", "RadioButton26", "RadioButton42", "LS"},
    {"L parallel", "RadioButton27", "RadioButton43", "LP"},
    {"R series", "RadioButton28", "RadioButton44", "RS"},
    {"R parallel", "RadioButton29", "RadioButton45", "RP"},
    {"Dissipation", "RadioButton30", "RadioButton46", "DF"},
    {"Q Quality", "RadioButton35", "RadioButton51", "Q"},
    {"|Z| Impedance", "RadioButton34", "RadioButton50", "Z"},
    {"|Y| Admittance ", "RadioButton33", "RadioButton49", "Y"},
    {"(б) Phase Angle ", "RadioButton32", "RadioButton48", "P"},
    {"|ESR|", "RadioButton31", "RadioButton47", "ESR"},
    {"Gp Conductance  ", "RadioButton36", "RadioButton52", "GP"},
    {"Xs Reactance", "RadioButton37", "RadioButton53", "XS"},
    {"Bp Susceptance", "RadioButton38", "RadioButton54", "BP"},
}};

QString codeFor(const QString& buttonName, const char* MeasuredParameter::*button) {
    const QByteArray name = buttonName.toLatin1();
    for (const MeasuredParameter& parameter : kParameters) {
        const char* candidate = parameter.*button;
        if (candidate != nullptr && name == candidate) {
            return QString::fromLatin1(parameter.code);
        }
    }
    return {};
}

}  // namespace

std::span<const MeasuredParameter> measuredParameters() {
    return kParameters;
}

QString primaryCodeForButton(const QString& buttonName) {
    return codeFor(buttonName, &MeasuredParameter::primaryButton);
}

QString secondaryCodeForButton(const QString& buttonName) {
    return codeFor(buttonName, &MeasuredParameter::secondaryButton);
}

}  // namespace tarvix::lcr
