// SPDX-License-Identifier: GPL-3.0-or-later
#include "bus/BusOwner.h"

#include <utility>

namespace tarvix::bus {

std::optional<BusLease> BusOwner::acquire(const QString& procedure, QString* refusal,
                                          std::function<void()> shutdown) {
    if (!boardPresent_) {
        *refusal = QStringLiteral("There is no GPIB board: \"%1\" cannot reach the instruments.")
                       .arg(procedure);
        return std::nullopt;
    }
    if (busy()) {
        *refusal = QStringLiteral(
                       "\"%1\" is using the instruments; \"%2\" can start when it "
                       "has ended.")
                       .arg(holder_, procedure);
        return std::nullopt;
    }
    holder_ = procedure.isEmpty() ? QStringLiteral("?") : procedure;
    endRequested_ = false;
    changed();
    return BusLease(*this, std::move(shutdown));
}

void BusOwner::setBoardPresent(bool present) {
    boardPresent_ = present;
    changed();
}

void BusOwner::requestEnd() {
    if (busy()) {
        endRequested_ = true;
    }
}

void BusOwner::release() {
    holder_.clear();
    endRequested_ = false;
    changed();
}

void BusOwner::changed() {
    if (onChange_) {
        onChange_();
    }
}

BusLease::BusLease(BusOwner& owner, std::function<void()> shutdown)
    : owner_(&owner), shutdown_(std::move(shutdown)) {}

BusLease::BusLease(BusLease&& other) noexcept
    : owner_(std::exchange(other.owner_, nullptr)), shutdown_(std::move(other.shutdown_)) {}

BusLease& BusLease::operator=(BusLease&& other) noexcept {
    if (this != &other) {
        end();
        owner_ = std::exchange(other.owner_, nullptr);
        shutdown_ = std::move(other.shutdown_);
    }
    return *this;
}

BusLease::~BusLease() {
    end();
}

void BusLease::end() {
    BusOwner* owner = std::exchange(owner_, nullptr);
    if (!owner) {
        return;
    }
    if (auto shutdown = std::exchange(shutdown_, nullptr)) {
        shutdown();
    }
    owner->release();
}

}  // namespace tarvix::bus
