// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <array>

namespace tarvix::thermo {

// The constant currents of the "ccurrent const" group: the radio button's design name and
// the current it sets, in amperes.
struct SourceCurrentButton {
    QStringView button;
    double amperes;
};

inline constexpr std::array<SourceCurrentButton, 10> kSourceCurrentButtons{{
    {u"RadioButton17", 1e-7},
    {u"RadioButton18", 1e-6},
    {u"RadioButton19", 3e-6},
    {u"RadioButton20", 1e-5},
    {u"RadioButton21", 3e-5},
    {u"RadioButton22", 1e-4},
    {u"RadioButton77", 1e-3},
    {u"RadioButton76", 1e-2},
    {u"RadioButton78", 0.05},
    {u"RadioButton79", 1.0},
}};

// The button checked at start; its current stands in when no button of the group is checked.
inline constexpr QStringView kDefaultSourceCurrentButton = u"RadioButton19";

// The smallest of the source unit's current ranges (1e-6, 1e-5, 1e-4, 1e-3, 0.02, 0.1, 1 A)
// that holds `amperes`; the top range for anything larger.
double sourceRangeFor(double amperes);

}  // namespace tarvix::thermo
