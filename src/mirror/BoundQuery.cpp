// SPDX-License-Identifier: GPL-3.0-or-later
#include "mirror/BoundQuery.h"

namespace tarvix::mirror {

QSqlQuery boundQuery(QSqlDatabase& db, const QString& statement, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    query.prepare(statement);
    for (const QVariant& value : values) {
        query.addBindValue(value);
    }
    query.exec();
    return query;
}

}  // namespace tarvix::mirror
