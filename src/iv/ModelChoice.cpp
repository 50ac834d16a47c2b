// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/ModelChoice.h"

#include "iv/AddressScan.h"
#include "iv/RangeTables.h"

namespace tarvix::iv {

bool modelSpeaksAt(int model, int address) {
    if (address == kScpiAddress) {
        return model == kModel2400 || model == kModel2410;
    }
    return address == kTspAddress && model == kModel2636;
}

ModelChoice chooseSourceMeter(int chosenAddress, const QString& chosenModelName,
                              const std::map<int, int>& modelAt) {
    ModelChoice choice;
    const auto own = modelAt.find(chosenAddress);
    if (own != modelAt.end() && modelSpeaksAt(own->second, chosenAddress)) {
        choice.model = own->second;
        return choice;
    }
    if (modelAt.empty()) {
        choice.refusal = QStringLiteral(
            "No source-measure unit was identified on the bus. Check that it is switched on "
            "and answers at address 24 (2400, 2410) or 26 (2636A).");
        return choice;
    }
    const auto& [address, model] = *modelAt.begin();
    choice.refusal =
        QStringLiteral(
            "The Model group chose the %1 at address %2, but the source-measure unit "
            "identified is a %3 at address %4. Choose its model in the Model group.")
            .arg(chosenModelName)
            .arg(chosenAddress)
            .arg(model == kModel2636 ? QStringLiteral("2636A") : QString::number(model))
            .arg(address);
    return choice;
}

}  // namespace tarvix::iv
