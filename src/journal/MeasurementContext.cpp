#include "journal/MeasurementContext.h"

#include <QDateTime>
#include <QSqlQuery>
#include <QVariant>

namespace tarvix::journal {

bool writeContext(QSqlDatabase& db, qint64 id, const MeasurementContext& context) {
    if (!db.transaction()) {
        return false;
    }
    QSqlQuery comment(db);
    comment.prepare(QStringLiteral("UPDATE measurement SET comment = ? WHERE id = ?"));
    comment.addBindValue(context.comment);
    comment.addBindValue(id);
    bool done = comment.exec();
    QSqlQuery value(db);
    value.prepare(
        QStringLiteral("INSERT OR REPLACE INTO context (measurement_id, key, value) "
                       "VALUES (?, ?, ?)"));
    for (const auto& [key, text] : context.values) {
        value.addBindValue(id);
        value.addBindValue(key);
        value.addBindValue(text);
        done = done && value.exec();
    }
    if (!done) {
        db.rollback();
        return false;
    }
    return db.commit();
}

bool recordFile(QSqlDatabase& db, qint64 id, const QString& path, const QString& role) {
    QSqlQuery query(db);
    query.prepare(
        QStringLiteral("INSERT INTO file (measurement_id, path, role, written) "
                       "VALUES (?, ?, ?, ?)"));
    query.addBindValue(id);
    query.addBindValue(path);
    query.addBindValue(role);
    query.addBindValue(QDateTime::currentDateTime().toString(Qt::ISODateWithMs));
    return query.exec();
}

}  // namespace tarvix::journal
