// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <optional>

#include "mirror/MeasurementRows.h"

namespace tarvix::mirror {

// Reads the bench's own database through a connection of the mirror's, one short statement
// at a time, so the program's writes never wait on it.
class LocalJournalReader {
  public:
    explicit LocalJournalReader(QSqlDatabase& db) : db_(db) {}

    QString benchId();
    // The identity of the server that took the most recent change.
    QString lastServer();
    // Measurements changed after change `seq`, oldest change first: (id, its change).
    std::vector<std::pair<qint64, qint64>> changesAfter(qint64 seq, int limit);
    // Measurements still being measured or just ended, or left open by a session that ended
    // abruptly.
    std::vector<qint64> openMeasurements();

    std::optional<MeasurementRow> measurement(qint64 id);
    SegmentLabels segments(qint64 id);
    ContextValues context(qint64 id);
    std::vector<FileRow> files(qint64 id);
    SegmentCounts counts(qint64 id);
    // The points of `segment` after index `after` up to `upTo`, by index.
    PointColumns points(qint64 id, int segment, int after, int upTo);

  private:
    QSqlDatabase& db_;
};

}  // namespace tarvix::mirror
