// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

#include "thermo/ThermoRecordObserver.h"

namespace tarvix::thermo {
struct ThermoRecord;
}

namespace tarvix::journal {

class JournalDatabase;

// What came back of a record that was never saved.
struct RecoveredRecord {
    thermo::ThermoRunKind kind = thermo::ThermoRunKind::None;
    int samples = 0;
    QDateTime started;    // its first sample
    QDateTime ended;      // its last sample
    QString readFailure;  // why an unsaved record stayed in the journal unread (empty: none did)
};

// Keeps every sample of the four-probe and thermocouple record in the journal as it is
// taken; a save of the record settles it, a new run replaces it.
class ThermoJournal : public thermo::ThermoRecordObserver {
  public:
    ThermoJournal(JournalDatabase& db, thermo::ThermoRecord& record);

    void runStarted(thermo::ThermoRunKind kind) override;
    void sampleStored(int sample) override;
    void recordSaved(const QString& file) override;

    // The record now holds measurement `id` of the database, loaded from it; what it held
    // before is dropped as a new run would drop it.
    void loaded(qint64 id);
    // Whether the record holds samples that were never saved (a loaded record does not).
    bool hasUnsaved() const;

    // Puts the last unsaved record of an earlier session back into the empty record.
    RecoveredRecord recover();

  private:
    void setState(const char* state);
    QDateTime sampleMoment(const QDateTime& started, int sample, const QDateTime& otherwise) const;

    JournalDatabase& db_;
    thermo::ThermoRecord& record_;
    qint64 runId_ = 0;
    // A run was started or a sample taken since the record was last saved or loaded.
    bool unsaved_ = false;
};

}  // namespace tarvix::journal
