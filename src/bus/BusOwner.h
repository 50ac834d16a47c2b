// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>

namespace tarvix::bus {

class BusLease;

// The one owner of the bus: a procedure that talks to instruments asks it for the bus before
// it sends anything and gives it back however it ends. While one procedure holds the bus every
// other one is refused with a reason the operator can read; with no board every procedure is.
class BusOwner {
  public:
    BusOwner() = default;
    BusOwner(const BusOwner&) = delete;
    BusOwner& operator=(const BusOwner&) = delete;

    // The bus for `procedure` (a name the operator knows, like "Termo"), or nothing with the
    // reason in `refusal`. `shutdown` runs when the lease ends (see BusLease).
    std::optional<BusLease> acquire(const QString& procedure, QString* refusal,
                                    std::function<void()> shutdown = {});

    bool busy() const { return !holder_.isEmpty(); }
    // The procedure that holds the bus; empty when none does.
    const QString& holder() const { return holder_; }

    void setBoardPresent(bool present);
    bool boardPresent() const { return boardPresent_; }

    // Asks the procedure that holds the bus to end at its next exchange (window close, Stop).
    void requestEnd();
    bool endRequested() const { return endRequested_; }

    // Called after the bus is taken or given back, and when the board is found missing.
    void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  private:
    friend class BusLease;
    void release();
    void changed();

    QString holder_;
    bool boardPresent_ = true;
    bool endRequested_ = false;
    std::function<void()> onChange_;
};

// The bus held by one procedure. Its end runs the procedure's shutdown (output off, the
// closing commands) and then gives the bus back, so "the source is off whenever the bus is
// free" holds on every way out: normal end, Stop, a fault, an early return, window close.
class BusLease {
  public:
    BusLease(BusLease&& other) noexcept;
    BusLease& operator=(BusLease&& other) noexcept;
    BusLease(const BusLease&) = delete;
    BusLease& operator=(const BusLease&) = delete;
    ~BusLease();

    // Replaces the shutdown, for a procedure whose closing commands depend on how far it got.
    void setShutdown(std::function<void()> shutdown) { shutdown_ = std::move(shutdown); }
    bool endRequested() const { return owner_ && owner_->endRequested(); }
    // Runs the shutdown and gives the bus back now.
    void end();

  private:
    friend class BusOwner;
    BusLease(BusOwner& owner, std::function<void()> shutdown);

    BusOwner* owner_;
    std::function<void()> shutdown_;
};

}  // namespace tarvix::bus
