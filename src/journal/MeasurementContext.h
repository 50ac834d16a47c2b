// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <utility>
#include <vector>

#include "journal/JournalStatement.h"

namespace tarvix::journal {

// What shaped one measurement: the operator's comment, the settings and the identification
// of each instrument that took part, as key and text.
struct MeasurementContext {
    QString comment;
    std::vector<std::pair<QString, QString>> values;
};

// Writes `context` for measurement `id` (earlier values of the same keys are replaced).
JournalStatements contextStatements(qint64 id, const MeasurementContext& context);

// Notes that measurement `id` was written to `path`; `role` is "saved" or "exported".
JournalStatement fileStatement(qint64 id, const QString& path, const QString& role);

}  // namespace tarvix::journal
