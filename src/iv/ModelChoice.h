// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <map>

namespace tarvix::iv {

// The source-measure unit a Start speaks to: the model identified at the address of the
// model chosen in the Model group (24 for a 2400 or 2410, 26 for a 2636A). Anything else is
// refused with the reason, so that no command reaches the wrong unit.
struct ModelChoice {
    int model = 0;    // 0 when refused
    QString refusal;  // the message for the operator
};

// `modelAt` maps each address whose identification named a model to that model.
ModelChoice chooseSourceMeter(int chosenAddress, const QString& chosenModelName,
                              const std::map<int, int>& modelAt);

// Whether `model` is one that speaks at `address`.
bool modelSpeaksAt(int model, int address);

}  // namespace tarvix::iv
