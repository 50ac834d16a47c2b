// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <span>

namespace tarvix::lcr {

// One parameter the meter can measure, with its radio buttons in "Primary 1" (GroupBox4) and
// "Secondary 1" (GroupBox5) and the code the meter takes.
struct MeasuredParameter {
    const char* caption;          // UTF-8
    const char* primaryButton;    // null when it cannot be the primary
    const char* secondaryButton;  // null when it cannot be the secondary
    const char* code;
};

// The secondary code of "NONE": the meter then measures the primary alone.
inline constexpr const char* kNoSecondaryCode = "N";

std::span<const MeasuredParameter> measuredParameters();

// The code behind a checked button of either group; empty for a name of neither.
QString primaryCodeForButton(const QString& buttonName);
QString secondaryCodeForButton(const QString& buttonName);

}  // namespace tarvix::lcr
