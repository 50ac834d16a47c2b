// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/MirrorMarks.h"

#include <QSqlQuery>
#include <algorithm>

#include "mirror/BoundQuery.h"

namespace tarvix::mirror {

qint64 MirrorMarks::changeSeq() {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT change_seq FROM mirror_server WHERE server = ?"), {server_});
    return query.next() ? query.value(0).toLongLong() : 0;
}

SegmentCounts MirrorMarks::sent(qint64 id) {
    QSqlQuery query = boundQuery(db_,
                                 QStringLiteral("SELECT segment, idx, points FROM mirror_segment "
                                                "WHERE server = ? AND measurement_id = ?"),
                                 {server_, id});
    SegmentCounts counts;
    while (query.next()) {
        counts[query.value(0).toInt()] =
            SegmentCount{query.value(1).toInt(), query.value(2).toLongLong(), std::nullopt};
    }
    return counts;
}

bool MirrorMarks::isFinal(qint64 id) {
    QSqlQuery query = boundQuery(
        db_, QStringLiteral("SELECT 1 FROM mirror_final WHERE server = ? AND measurement_id = ?"),
        {server_, id});
    return query.next();
}

bool MirrorMarks::record(qint64 id, const SegmentCounts& counts, bool final,
                         std::optional<qint64> changeSeq) {
    if (!db_.transaction()) {
        return false;
    }
    bool done = boundQuery(db_,
                           QStringLiteral("DELETE FROM mirror_segment WHERE server = ? AND "
                                          "measurement_id = ?"),
                           {server_, id})
                    .isActive();
    for (const auto& [segment, count] : counts) {
        done = done &&
               boundQuery(db_, QStringLiteral("INSERT INTO mirror_segment VALUES (?, ?, ?, ?, ?)"),
                          {server_, id, segment, count.idx, count.points})
                   .isActive();
    }
    if (final) {
        done = done &&
               boundQuery(db_, QStringLiteral("INSERT OR IGNORE INTO mirror_final VALUES (?, ?)"),
                          {server_, id})
                   .isActive();
    }
    if (changeSeq) {
        done = done && boundQuery(db_,
                                  QStringLiteral("INSERT OR REPLACE INTO mirror_server "
                                                 "(server, change_seq) VALUES (?, ?)"),
                                  {server_, *changeSeq})
                           .isActive();
    }
    if (!done) {
        db_.rollback();
        return false;
    }
    return db_.commit();
}

// Counted over the measurements a pass looks at: those changed since the server's last change
// and those still open.
std::pair<qint64, qint64> MirrorMarks::waiting() {
    const qint64 seq = changeSeq();
    QSqlQuery query = boundQuery(
        db_,
        QStringLiteral(
            "WITH pending(id) AS (SELECT measurement_id FROM mirror_change WHERE seq > ? "
            "UNION SELECT id FROM measurement WHERE ended IS NULL) "
            "SELECT (SELECT count(*) FROM point WHERE measurement_id IN pending) - "
            "(SELECT coalesce(sum(points), 0) FROM mirror_segment WHERE server = ? "
            "AND measurement_id IN pending), "
            "(SELECT count(*) FROM mirror_change WHERE seq > ?)"),
        {seq, server_, seq});
    if (!query.next()) {
        return {0, 0};
    }
    return {std::max<qint64>(0, query.value(0).toLongLong()), query.value(1).toLongLong()};
}

}  // namespace tarvix::mirror
