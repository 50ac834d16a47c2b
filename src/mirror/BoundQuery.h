// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

namespace tarvix::mirror {

// Runs `statement` on `db` with `values` bound to its placeholders in order; the query is
// forward-only, ready to step through its rows.
QSqlQuery boundQuery(QSqlDatabase& db, const QString& statement, const QVariantList& values);

}  // namespace tarvix::mirror
