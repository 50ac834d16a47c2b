#include "journal/FinishedMeasurement.h"

#include <QVariant>
#include <cmath>

#include "journal/JournalDatabase.h"

namespace tarvix::journal {

namespace {

QVariant realOrNull(double value) {
    return std::isnan(value) ? QVariant() : QVariant(value);
}

}  // namespace

qint64 storeFinishedMeasurement(JournalDatabase& db, const FinishedMeasurement& measurement) {
    const qint64 id = db.newMeasurementId();
    if (id <= 0) {
        return 0;
    }
    JournalStatements statements{
        {QStringLiteral("INSERT INTO measurement (id, kind, started, ended, state) "
                        "VALUES (?, ?, ?, ?, 'saved')"),
         {id, measurement.kind, measurement.started.toString(Qt::ISODateWithMs),
          measurement.ended.toString(Qt::ISODateWithMs)}}};
    int index = 0;
    for (const auto& [x, y, z] : measurement.points) {
        statements.push_back({QStringLiteral("INSERT INTO point (measurement_id, segment, idx, x, "
                                             "y, z) VALUES (?, 1, ?, ?, ?, ?)"),
                              {id, ++index, realOrNull(x), realOrNull(y), realOrNull(z)}});
    }
    if (!measurement.file.isEmpty()) {
        statements.push_back(fileStatement(id, measurement.file, QStringLiteral("saved")));
    }
    const int points = static_cast<int>(measurement.points.size());
    JournalStatements context = contextStatements(id, measurement.context);
    statements.insert(statements.end(), context.begin(), context.end());
    db.write(std::move(statements), points);
    return id;
}

}  // namespace tarvix::journal
