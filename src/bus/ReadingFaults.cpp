// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/ReadingFaults.h"

namespace tarvix::bus {

namespace {
QString failuresInARow() {
    return QStringLiteral("%1 failed readings in a row").arg(ReadingFaults::kEndAfterInARow);
}
}  // namespace

QString ExchangeFault::text() const {
    return QStringLiteral("the instrument at address %1 failed on \"%2\" (status %3)")
        .arg(address)
        .arg(command)
        .arg(status);
}

void ReadingFaults::reset() {
    missing_ = 0;
    total_ = 0;
    inARow_ = 0;
    last_.reset();
}

bool ReadingFaults::record(const std::optional<ExchangeFault>& fault) {
    if (!fault) {
        ++total_;
        inARow_ = 0;
        return false;
    }
    last_ = fault;
    return recordFailure();
}

bool ReadingFaults::recordUnreadable() {
    return recordFailure();
}

bool ReadingFaults::recordFailure() {
    ++total_;
    ++missing_;
    ++inARow_;
    return endsRun();
}

QString ReadingFaults::endReason() const {
    QString reason = failuresInARow();
    if (last_) {
        reason += QStringLiteral("; last failure: %1").arg(last_->text());
    }
    return reason;
}

QString ReadingFaults::summary(const QString& run) const {
    if (missing_ == 0) {
        return {};
    }
    QString message;
    if (endsRun()) {
        message = QStringLiteral("%1 was ended: %2. ").arg(run, failuresInARow());
    }
    message +=
        QStringLiteral("%1 of %2 %3 are stored as missing.").arg(missing_).arg(total_).arg(unit_);
    if (last_) {
        message += QStringLiteral(" Last failure: %1.").arg(last_->text());
    }
    return message;
}

}  // namespace tarvix::bus
