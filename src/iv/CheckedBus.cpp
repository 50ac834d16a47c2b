// SPDX-License-Identifier: GPL-3.0-or-later
#include "iv/CheckedBus.h"

#include "text/Cp1251.h"
#include "text/DecimalParse.h"

namespace tarvix::iv {

namespace {

constexpr int kReadingLength = 70;

}  // namespace

void CheckedBus::send(int address, const QString& command) {
    gpib_.send(address, command.toLatin1().toStdString());
    if (gpib_.gpibStatus() != 0) {
        throw AcquisitionEnded(
            QStringLiteral("The instrument at address %1 did not take the command \"%2\" "
                           "(bus status %3).")
                .arg(address)
                .arg(command)
                .arg(gpib_.gpibStatus()));
    }
    lastQuery_ = command;
}

QByteArray CheckedBus::readText(int address) {
    gpib_.enter(buffer_, kReadingLength, address);
    if (gpib_.gpibStatus() != 0) {
        throw AcquisitionEnded(
            QStringLiteral("No reply could be read from address %1 after \"%2\" (bus status %3).")
                .arg(address)
                .arg(lastQuery_)
                .arg(gpib_.gpibStatus()));
    }
    return bus::GpibBus::replyText(buffer_);
}

std::optional<double> CheckedBus::number(const QByteArray& reply) {
    // A blank reply is nothing received, not a reading of 0.
    if (reply.trimmed().isEmpty()) {
        return std::nullopt;
    }
    return text::parseReply(reply.toStdString());
}

QString CheckedBus::notANumber(int address, const QString& query, const QByteArray& reply) {
    return QStringLiteral("The reply of address %1 to \"%2\" is not a number: \"%3\".")
        .arg(address)
        .arg(query, text::fromCp1251(reply));
}

double CheckedBus::read(int address, int cut) {
    QByteArray reply = readText(address);
    if (cut > 0) {
        reply = reply.left(cut);
    }
    const auto value = number(reply);
    if (!value) {
        throw AcquisitionEnded(notANumber(address, lastQuery_, reply));
    }
    return *value;
}

double CheckedBus::query(int address, const QString& query, int cut) {
    send(address, query);
    return read(address, cut);
}

void CheckedBus::defer(const AcquisitionEnded& fault) {
    if (!deferred_) {
        deferred_ = fault;
    }
}

void CheckedBus::throwDeferred() {
    if (deferred_) {
        const AcquisitionEnded fault = *deferred_;
        deferred_.reset();
        throw fault;
    }
}

}  // namespace tarvix::iv
