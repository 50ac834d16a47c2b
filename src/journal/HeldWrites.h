// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <optional>
#include <variant>

#include "journal/JournalStatement.h"
#include "journal/PointWriter.h"

namespace tarvix::journal {

// The journal's writes that the file could not take yet, in the order they were made: measured
// I-V points, and groups of statements (a new measurement, a sample, a "saved" mark).
class HeldWrites {
  public:
    void holdPoint(const PointRow& row);
    // `points`: how many measured points the group carries.
    void hold(JournalStatements group, int points);

    bool empty() const { return entries_.empty(); }
    // Measured points held, of every kind.
    int points() const { return points_; }

    // Writes the held entries in order on `db`, a bounded number per transaction, and lets go
    // of each once it is committed; the failure that stopped it, with the rest still held.
    std::optional<WriteFailure> writeTo(QSqlDatabase& db);

  private:
    struct Group {
        JournalStatements statements;
        int points = 0;
    };
    using Entry = std::variant<PointRow, Group>;

    std::optional<WriteFailure> writeTransaction(QSqlDatabase& db, std::size_t count);

    std::deque<Entry> entries_;
    int points_ = 0;
};

}  // namespace tarvix::journal
