// SPDX-License-Identifier: GPL-3.0-or-later
#include "lcr/ExternalBias.h"

#include "bus/ReadingFaults.h"
#include "lcr/LcrCommands.h"

namespace tarvix::lcr {

namespace {
constexpr int kBiasOff = 0;
constexpr int kBiasExternal = 1;
}  // namespace

QString sendBiasChecked(bus::GpibBus& bus, int biasMode, const QString& what) {
    const std::string command = biasCommand(biasMode);
    bus.send(kLcrAddress, command);
    if (bus.gpibStatus() == 0) {
        return {};
    }
    const bus::ExchangeFault fault{kLcrAddress, QString::fromStdString(command), bus.gpibStatus()};
    QString message = QStringLiteral("%1: %2.").arg(what, fault.text());
    if (biasMode == kBiasOff) {
        message += QStringLiteral(" The bias may still be on: switch it off at the meter.");
    }
    return message;
}

// A failed EXT ON leaves the bias as it was; a failed EXT OFF leaves it possibly on.
QString ExternalBias::switchOn(bus::GpibBus& bus) {
    const QString failure = sendBiasChecked(bus, kBiasExternal, QStringLiteral("EXT ON failed"));
    mayBeOn_ = mayBeOn_ || failure.isEmpty();
    return failure;
}

QString ExternalBias::switchOff(bus::GpibBus& bus) {
    const QString failure = sendBiasChecked(bus, kBiasOff, QStringLiteral("EXT OFF failed"));
    mayBeOn_ = mayBeOn_ && !failure.isEmpty();
    return failure;
}

// The internal bias is switched off by the sweep itself.
void ExternalBias::sweepConfigured(int biasMode, bool taken) {
    if (taken) {
        mayBeOn_ = biasMode == kBiasExternal;
    }
}

QString ExternalBias::closeDown(bus::GpibBus& bus) {
    if (!mayBeOn_) {
        return {};
    }
    const QString failure = sendBiasChecked(
        bus, kBiasOff,
        QStringLiteral("The external bias was not switched off as the window closed"));
    mayBeOn_ = !failure.isEmpty();
    return failure;
}

}  // namespace tarvix::lcr
