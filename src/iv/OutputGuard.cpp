// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/OutputGuard.h"

#include "iv/AddressScan.h"

namespace tarvix::iv {

OutputGuard::OutputGuard(bus::GpibBus& gpib, int address, QStringList& problems, bool picoammeter)
    : gpib_(gpib), address_(address), problems_(problems), picoammeter_(picoammeter) {}

OutputGuard::~OutputGuard() {
    switchOff();
}

QString OutputGuard::offCommand(int address) {
    return address == kTspAddress ? QStringLiteral("smua.source.output = smua.OUTPUT_OFF")
                                  : QStringLiteral(":OUTP OFF");
}

void OutputGuard::switchOff() {
    if (done_) {
        return;
    }
    done_ = true;
    const QString command = offCommand(address_);
    gpib_.send(address_, command.toStdString());
    if (gpib_.gpibStatus() != 0 && switchedOn_) {
        problems_ << QStringLiteral(
                         "The output of the source-measure unit at address %1 could "
                         "not be switched off (\"%2\" failed, bus status %3). Switch "
                         "it off at the instrument.")
                         .arg(address_)
                         .arg(command)
                         .arg(gpib_.gpibStatus());
    }
    if (picoammeter_) {
        gpib_.send(kPicoammeterAddress, "SYST:ZCH ON");
    }
}

}  // namespace tarvix::iv
