// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>
#include <functional>

#include "journal/MeasurementContext.h"
#include "lcr/SweepObserver.h"

namespace tarvix::journal {

class JournalDatabase;

// An LCR sweep that an earlier session left unsaved, as it came back at start-up.
struct RecoveredSweep {
    int points = 0;  // 0: nothing came back
    QDateTime first;
    QDateTime last;       // when its last point was measured
    QString file;         // its .frq file, when that holds its readings; empty otherwise
    QString readFailure;  // why it could not be read (it stays for the next start)
};

// Keeps every point of the LCR sweep in the journal as it is measured (x frequency, y primary,
// z secondary, t time of day), through the journal's writes, which hold what the file does not
// take. The sweep is unsaved until its .frq file is complete; a new sweep, or one loaded from
// the history, replaces an unsaved one in the panel, and it stays in the history.
class LcrJournal : public lcr::SweepObserver {
  public:
    // What the journal keeps beside a sweep's points: the comment and the sweep's settings.
    using Describer = std::function<MeasurementContext(const lcr::SweepSettings&)>;
    // The key of the context under which the sweep's .frq file is kept.
    static constexpr const char* kFileKey = "frq_file";

    LcrJournal(JournalDatabase& db, Describer describer);

    void sweepStarted(const lcr::SweepSettings& settings, const QString& file) override;
    void pointStored(const lcr::FreqSweep& sweep, int point) override;
    void sweepWritten(const QString& file) override;

    // The panel now shows measurement `id`, loaded from the database.
    void loaded(qint64 id);

    // The last sweep an earlier session left unsaved goes back into the panel through `load`,
    // which fills it from measurement `id` (false, with `readFailure`: it could not be read
    // and stays for the next start). It is settled as saved when its .frq file was written
    // after it started; older unsaved sweeps, and one without a point, are replaced.
    RecoveredSweep recover(const std::function<bool(qint64 id, QString* readFailure)>& load);

  private:
    void setState(qint64 id, const char* state);
    bool findLast(RecoveredSweep& found, qint64* id);
    bool findSpan(qint64 id, RecoveredSweep& found);
    void settleRecovered(qint64 id, RecoveredSweep& found);

    JournalDatabase& db_;
    Describer describer_;
    qint64 runId_ = 0;
    bool unsaved_ = false;  // the panel holds a sweep that is only in the journal
};

}  // namespace tarvix::journal
