#include "journal/FinishedMeasurement.h"

#include <QSqlQuery>
#include <QVariant>
#include <cmath>

namespace tarvix::journal {

namespace {

QVariant realOrNull(double value) {
    return std::isnan(value) ? QVariant() : QVariant(value);
}

qint64 insertMeasurement(QSqlDatabase& db, const FinishedMeasurement& measurement) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO measurement (kind, started, ended, state) "
                       "VALUES (?, ?, ?, 'saved')"));
    query.addBindValue(measurement.kind);
    query.addBindValue(measurement.started.toString(Qt::ISODateWithMs));
    query.addBindValue(measurement.ended.toString(Qt::ISODateWithMs));
    return query.exec() ? query.lastInsertId().toLongLong() : 0;
}

bool insertPoints(QSqlDatabase& db, qint64 id, const FinishedMeasurement& measurement) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, y, z) "
                       "VALUES (?, 1, ?, ?, ?, ?)"));
    int index = 0;
    for (const auto& [x, y, z] : measurement.points) {
        query.addBindValue(id);
        query.addBindValue(++index);
        query.addBindValue(realOrNull(x));
        query.addBindValue(realOrNull(y));
        query.addBindValue(realOrNull(z));
        if (!query.exec()) {
            return false;
        }
    }
    return true;
}

}  // namespace

qint64 storeFinishedMeasurement(QSqlDatabase& db, const FinishedMeasurement& measurement) {
    if (!db.isOpen() || !db.transaction()) {
        return 0;
    }
    const qint64 id = insertMeasurement(db, measurement);
    const bool stored = id > 0 && insertPoints(db, id, measurement) &&
                        (measurement.file.isEmpty() ||
                         recordFile(db, id, measurement.file, QStringLiteral("saved")));
    if (!stored || !db.commit()) {
        db.rollback();
        return 0;
    }
    writeContext(db, id, measurement.context);
    return id;
}

}  // namespace tarvix::journal
