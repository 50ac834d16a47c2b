// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/AddressScan.h"

#include "iv/RangeTables.h"
#include "text/Cp1251.h"

namespace tarvix::iv {

namespace {

constexpr double kScanWindowDays = 1.0 / 86400.0;
constexpr int kIdentificationLength = 100;

int modelFromReply(const QByteArray& reply, int model) {
    if (reply.contains("2400")) {
        model = kModel2400;
    }
    if (reply.contains("2410")) {
        model = kModel2410;
    }
    if (reply.contains("2636")) {
        model = kModel2636;
    }
    return model;
}

}  // namespace

int runAddressScan(bus::GpibBus& gpib, int sourceMeterModel, double scanStartDays,
                   const ScanCallbacks& callbacks) {
    QByteArray buffer;
    for (int address = 1; address <= 30; ++address) {
        if (callbacks.nowDays() - scanStartDays > kScanWindowDays) {
            continue;
        }
        if (!gpib.listenerPresent(address)) {
            continue;
        }
        gpib.send(address, "*IDN?");
        if (gpib.gpibStatus() != 0) {
            callbacks.showMessage(
                QStringLiteral("Error in writing *IDN? string to the instrument."));
        }
        gpib.enter(buffer, kIdentificationLength, address);
        if (gpib.gpibStatus() != 0) {
            callbacks.showMessage(
                QStringLiteral("Error in reading identification string from the instrument."));
        }
        const QByteArray reply = bus::GpibBus::replyText(buffer);
        callbacks.addLine(
            QStringLiteral("ADDRESS=%1  %2").arg(address).arg(text::fromCp1251(reply)));
        const int model = modelFromReply(reply, kNoModel);
        if (model != kNoModel) {
            sourceMeterModel = model;
            if (callbacks.identified) {
                callbacks.identified(address, model);
            }
        }
    }
    return sourceMeterModel;
}

}  // namespace tarvix::iv
