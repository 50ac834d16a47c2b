// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

namespace tarvix::bus {

// One exchange that failed: where, what was sent (or read), and the status word.
struct ExchangeFault {
    int address = 0;
    QString command;  // the command sent, or the query whose reply could not be read
    int status = 0;

    // "the instrument at address 16 failed on \":READ?\" (status 3)"
    QString text() const;
};

// The failed readings of a long run (the four-probe record, the LCR sweep). A failed reading
// is stored as missing and the run goes on, unless the instrument has stopped answering:
// three failures in a row end the run. The count is told once, at the end.
class ReadingFaults {
  public:
    static constexpr int kEndAfterInARow = 3;

    // `unit` names what is counted in the message ("samples", "readings").
    explicit ReadingFaults(QString unit) : unit_(std::move(unit)) {}

    void reset();
    // Counts one reading; true when it is the last failure the run can take.
    bool record(const std::optional<ExchangeFault>& fault);
    // Counts a reading that arrived but held no value (no exchange failed).
    bool recordUnreadable();

    int missing() const { return missing_; }
    int total() const { return total_; }
    bool endsRun() const { return inARow_ >= kEndAfterInARow; }

    // The one message of the run's end, empty when nothing was missing; `run` names the run.
    QString summary(const QString& run) const;
    // Why the failures ended the run, for the status line: "3 failed readings in a row; last
    // failure: ...".
    QString endReason() const;

  private:
    bool recordFailure();

    QString unit_;
    int missing_ = 0;
    int total_ = 0;
    int inARow_ = 0;
    std::optional<ExchangeFault> last_;
};

}  // namespace tarvix::bus
