// SPDX-License-Identifier: GPL-3.0-or-later
#include "analysis/Mechanism.h"

#include <cmath>

namespace tarvix::analysis {

namespace {

// log10 as ln(x)/ln(10), so that the straightened values match the ones saved before.
double decimalLog(double value) {
    return std::log(value) / std::log(10.0);
}

double identityX(double absVoltage) {
    return absVoltage;
}
double rootX(double absVoltage) {
    return std::sqrt(absVoltage);
}
double logX(double absVoltage) {
    return decimalLog(absVoltage);
}

double ohmY(double absCurrent, double) {
    return absCurrent;
}
double pooleFrenkelY(double absCurrent, double absVoltage) {
    return std::log(absCurrent / absVoltage);
}
double spaceChargeY(double absCurrent, double) {
    return decimalLog(absCurrent);
}
double tunnelY(double absCurrent, double absVoltage) {
    return std::log(absCurrent / (absVoltage * absVoltage));
}
double schottkyY(double absCurrent, double) {
    return std::log(absCurrent);
}

// The messages keep the wording the operators know, misspellings included.
constexpr char16_t kNoPointsHere[] = u"в выбранной области нет точек";
constexpr char16_t kBadNumbersA[] = u"наверные значения S1 или S2";
constexpr char16_t kBadNumbersB[] = u"неверные занчения S1 или S2";
constexpr char16_t kBadNumbersC[] = u"неверное значение S1 или S2";

const MechanismInfo kMechanisms[] = {
    {"Label17", u"In the selected area there are no experimental data", kBadNumbersA,
     u"спрямление по закону Ома, разброс точек = ", u"Volt(U)   Ampere (I)  ", u"|I|, A", u"|V|, V",
     u"S", u"A", "Ohm law", identityX, ohmY},
    {"Label16", kNoPointsHere, kBadNumbersA, u"спрямление по Пул-Френкелю, разброс точек = ",
     u"Volt(корень квадратный из U)   Ampere (ln(I/U))  ", u"ln(|I|/|V|)", u"√|V|", u"V^-½",
     u"ln(A/V)", "Poole-Frenkel", rootX, pooleFrenkelY},
    {"Label20", kNoPointsHere, kBadNumbersB, u"спрямление по ТОПЗ, разброс точек = ",
     u"Volt (log10(U))   Ampere (log10(I))  ", u"log10|I|", u"log10|V|", u"", u"log10(A)",
     "Space-charge-limited", logX, spaceChargeY},
    {"Label21", kNoPointsHere, kBadNumbersC, u"спрямление по Тунельному Ampereу, разброс точек = ",
     u"Volt (U)   Ampere (ln(I/(U*U)))  ", u"ln(|I|/V²)", u"|V|, V", u"V^-1", u"ln(A/V²)", "Tunnel",
     identityX, tunnelY},
    {"Label22", kNoPointsHere, kBadNumbersC, u"спрямление по Ampereу Шотки, разброс точек = ",
     u"Volt (корень квадратный из U)   Ampere (ln(I))  ", u"ln|I|", u"√|V|", u"V^-½", u"ln(A)",
     "Schottky", rootX, schottkyY},
};

}  // namespace

const MechanismInfo& mechanismInfo(Mechanism mechanism) {
    return kMechanisms[static_cast<int>(mechanism)];
}

}  // namespace tarvix::analysis
