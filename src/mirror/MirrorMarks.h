// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <optional>

#include "mirror/MeasurementRows.h"

namespace tarvix::mirror {

// What one server holds of the bench's measurements, kept in the bench's own database and
// written only after the server committed what it marks: the last change it took, and per
// segment the highest index and the number of points sent. A measurement is final once it was
// sent whole after it ended.
class MirrorMarks {
  public:
    MirrorMarks(QSqlDatabase& db, QString server) : db_(db), server_(std::move(server)) {}

    qint64 changeSeq();
    SegmentCounts sent(qint64 id);
    bool isFinal(qint64 id);
    // Marks measurement `id` as holding `counts` on the server (final when `final`) and,
    // with `changeSeq`, the changes up to it as taken.
    bool record(qint64 id, const SegmentCounts& counts, bool final,
                std::optional<qint64> changeSeq);
    // Points the server lacks and measurements changed since it last took them.
    std::pair<qint64, qint64> waiting();

  private:
    QSqlDatabase& db_;
    QString server_;
};

}  // namespace tarvix::mirror
