// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>

namespace tarvix::lcr {
struct FreqSweep;
}  // namespace tarvix::lcr
namespace tarvix::journal {
struct RecoveredSweep;
}  // namespace tarvix::journal

namespace tarvix::shell {

// What the operator is told of a sweep that came back at start-up, or could not be read;
// empty when there was none.
QString recoveredSweepMessage(const journal::RecoveredSweep& sweep);

// Puts LCR measurement `id` back into `sweep`: its points, extremes, parameter codes, grid
// ends, bias mode, delay and counts, as its sweep left them. False when it holds no point, or
// (with `readFailure`) when it could not be read.
bool readLcrSweep(QSqlDatabase& db, qint64 id, lcr::FreqSweep& sweep,
                  QString* readFailure = nullptr);

}  // namespace tarvix::shell
