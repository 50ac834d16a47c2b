// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <memory>

#include "journal/JournalDatabase.h"
#include "journal/SeriesJournal.h"
#include "journal/ThermoJournal.h"

namespace tarvix::journal {

// The recovery journal of one window: it watches the series store and the temperature
// record from the moment it opens, and at start-up gives back what an earlier session
// measured and never saved.
class RecoveryJournal {
  public:
    RecoveryJournal(series::SeriesStore& store, thermo::ThermoRecord& record);
    ~RecoveryJournal();
    RecoveryJournal(const RecoveryJournal&) = delete;
    RecoveryJournal& operator=(const RecoveryJournal&) = delete;

    // Opens the journal in `folder` (an empty folder: no file, unsaved series are still
    // tracked), puts back what was never saved and returns what the operator is to be told.
    QStringList openAndRecover(const QString& folder);
    // The same with the database file `file` wherever it is, taken as `access` says; read
    // alone, nothing is put back (what is unsaved there belongs to the program measuring).
    QStringList openFileAndRecover(const QString& file, JournalAccess access = {});

    // The four-probe or thermocouple record put back at start-up (no samples: none).
    const RecoveredRecord& recoveredRecord() const { return recoveredRecord_; }
    SeriesJournal& series() { return *series_; }
    ThermoJournal& thermo() { return *thermo_; }
    const JournalDatabase& database() const { return db_; }
    JournalDatabase& database() { return db_; }

  private:
    series::SeriesStore& store_;
    thermo::ThermoRecord& record_;
    JournalDatabase db_;
    std::unique_ptr<SeriesJournal> series_;
    std::unique_ptr<ThermoJournal> thermo_;
    RecoveredRecord recoveredRecord_;
};

}  // namespace tarvix::journal
