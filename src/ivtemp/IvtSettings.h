// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <vector>

namespace tarvix::ivtemp {

// What the operator sets for one run of I-V versus temperature: the targets from `fromK` to
// `toK` in steps of `stepK` (either direction; the sign of the step does not matter), how
// near a target the sample must be (`toleranceK`), and how often the thermocouple is read.
struct IvtSettings {
    double fromK = 100.0;
    double toK = 300.0;
    double stepK = 10.0;
    double toleranceK = 0.5;
    double periodS = 2.0;

    static constexpr double kMinPeriodS = 0.01;
    static constexpr double kMaxPeriodS = 3600.0;
    static constexpr int kMaxTargets = 150;
};

// Why the settings cannot run (empty when they can): temperatures above 0 K, a step above 0
// with at most kMaxTargets targets, a tolerance above 0 and below half a step (so that no
// reading is near two targets at once), and a period within its bounds.
QString settingsProblem(const IvtSettings& settings);

// The targets in the order they are met: from, from ± step, ... up to `to` (included when it
// falls on a step, to within a millionth of one). One target when from equals to.
std::vector<double> targetsOf(const IvtSettings& settings);

// A temperature as the texts give it: "140", "137.5".
QString kelvinText(double kelvin);

}  // namespace tarvix::ivtemp
