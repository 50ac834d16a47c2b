// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

namespace tarvix::journal {

// The tables of the measurement database and the steps that bring a file of any earlier
// version up to the current one. Each step runs in its own transaction and is noted in
// schema_version, so a file is always at one version and a step is never applied twice.
// The first version knew only PRAGMA user_version; later ones keep both in step.
class SchemaMigrations {
  public:
    static constexpr int kCurrentVersion = 4;
    // PRAGMA application_id of every file of ours: "Trvx".
    static constexpr int kApplicationId = 0x54727678;

    // Marks a new, empty file as ours before anything else is written to it, so that even a
    // program killed at once leaves a file the next start recognises.
    static bool markAsOurs(QSqlDatabase& db, QString* why);

    // The version of a file of ours (0: empty); nullopt when it cannot be read or is not ours.
    // A file without our application id is ours when it holds our tables.
    static std::optional<int> version(QSqlDatabase& db);
    // Applies every step after `from`. On failure nothing of the failed step is kept.
    static bool upgrade(QSqlDatabase& db, int from, QString* why);
};

}  // namespace tarvix::journal
