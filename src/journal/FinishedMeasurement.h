#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <vector>

#include "journal/MeasurementContext.h"

namespace tarvix::journal {

// A measurement that is kept only once it is complete (an LCR sweep writes its own file as
// it goes): its points, x, y and z of segment 1, and where it was written.
struct FinishedMeasurement {
    QString kind;
    QDateTime started;
    QDateTime ended;
    MeasurementContext context;
    std::vector<std::array<double, 3>> points;
    QString file;
};

class JournalDatabase;

// Stores `measurement` as saved, in one transaction (held while the file does not take it);
// returns its id, 0 without a journal file.
qint64 storeFinishedMeasurement(JournalDatabase& db, const FinishedMeasurement& measurement);

}  // namespace tarvix::journal
