#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>

namespace tarvix::lcr {
struct FreqSweep;
struct SweepSettings;
}  // namespace tarvix::lcr

namespace tarvix::shell {

class TForm1;

// Keeps a completed frequency sweep in the measurement database with its settings and the
// .frq file it wrote.
void recordLcrSweep(TForm1& form, const lcr::SweepSettings& settings, const lcr::FreqSweep& sweep,
                    const QDateTime& started, const QString& file);

// Puts LCR measurement `id` back into `sweep`: its points, extremes, parameter codes, grid
// ends, bias mode, delay and counts, as its sweep left them. False when it holds no point.
bool readLcrSweep(QSqlDatabase& db, qint64 id, lcr::FreqSweep& sweep);

}  // namespace tarvix::shell
